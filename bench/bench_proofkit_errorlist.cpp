// Cost of showing many findings: the list window with a long result and the pop-up with one spot's
// errors, each measured against the same texts in plain labels.

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "checkdata.h"
#include "contextshow.h"
#include "dataitem.h"
#include "dataitemvalue.h"
#include "errorslistgroup.h"
#include "widgetbench.h"
#include "widgeterrorlist.h"

namespace {

constexpr int kErrors = 500;
constexpr int kPopupErrors = 20;
const char* const kSuggestions[] = { "的确", "确实", "的*确" };

CHECK_DATAS makeResults(int count = kErrors)
{
    CHECK_DATAS results;
    for (int i = 0; i < count; ++i) {
        auto data = std::make_shared<CheckData>();
        data->words = "地确";
        data->dataItem = std::make_shared<DataItem>();
        for (int j = 0; j < 3; ++j)
            data->dataItem->addValue(kSuggestions[j], 10 - j);
        _CHECK_DATA_POS_ range;
        range.begin = unsigned((count - i) * 10);
        range.end = range.begin + 1;
        data->pos.push_back(range);
        data->errorTypes = { 1 + i % 3 };
        results.push_back(data);
    }
    return results;
}

// An error's words and suggestions on one line.
QString plainText(const CheckData& data)
{
    QString text = QString::fromUtf8(data.words.c_str());
    for (const DataItemValue* value : data.dataItem->values)
        text += QLatin1Char(' ') + QString::fromUtf8(value->value);
    return text;
}

// Every fill flips the process-wide expand switch, so fills alternate between collapsed and open
// groups. Each case sets the switch, untimed, by clicking the expand button of an empty list.
bool setExpandSwitch(bool expand)
{
    static WidgetErrorList switchPanel;
    static bool nextFillExpands = false;
    if (nextFillExpands != expand)
        switchPanel.findChild<QToolButton*>(QStringLiteral("btnExpand"))->click();
    nextFillExpands = !expand;
    return true;
}

bool groupsExpanded(WidgetErrorList& panel)
{
    auto* group = panel.findChild<ErrorsListGroup*>();
    return group && group->findChild<QWidget*>(QStringLiteral("widgetItems"))->isVisibleTo(group);
}

// Argument 0: the groups come collapsed (the first fill of a run); 1: they come open.
void BM_FillErrorList(benchmark::State& state)
{
    const bool expand = state.range(0) != 0;
    const CHECK_DATAS results = makeResults();
    for (auto _ : state) {
        state.PauseTiming();
        setExpandSwitch(expand);
        state.ResumeTiming();
        auto panel = std::make_unique<WidgetErrorList>();
        panel->setCheckData(results, QStringLiteral("bench"));
        panel->show();
        QCoreApplication::processEvents();
        if (groupsExpanded(*panel) != expand) {
            state.SkipWithError("the groups are not in the state measured");
            break;
        }
        panel.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.SetItemsProcessed(state.iterations() * kErrors);
}
BENCHMARK(BM_FillErrorList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Pages down a shown panel to its end, a page per step with its paint; returns the pages.
int pageThrough(QScrollArea& area)
{
    QScrollBar* bar = area.verticalScrollBar();
    int pages = 0;
    while (bar->value() < bar->maximum()) {
        bar->setValue(bar->value() + bar->pageStep());
        QCoreApplication::processEvents();
        ++pages;
    }
    return pages;
}

// The list builds its groups as they come into view: this is what a reader pays for reading
// the whole result. Argument as for the fill.
void BM_ScrollErrorList(benchmark::State& state)
{
    const bool expand = state.range(0) != 0;
    const CHECK_DATAS results = makeResults();
    int pages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        setExpandSwitch(expand);
        auto panel = std::make_unique<WidgetErrorList>();
        panel->resize(320, 600);
        panel->setCheckData(results, QStringLiteral("bench"));
        panel->show();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        pages += pageThrough(*panel->findChild<QScrollArea*>());
        state.PauseTiming();
        panel.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["pages"] = benchmark::Counter(pages, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ScrollErrorList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same texts in plain labels, in a scroll area of the same size, paged through.
void BM_ScrollPlainLabels(benchmark::State& state)
{
    const CHECK_DATAS results = makeResults();
    int pages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto panel = std::make_unique<QScrollArea>();
        panel->setWidgetResizable(true);
        auto* contents = new QWidget;
        auto* layout = new QVBoxLayout(contents);
        for (const auto& data : results)
            layout->addWidget(new QLabel(plainText(*data), contents));
        panel->setWidget(contents);
        panel->resize(320, 600);
        panel->show();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        pages += pageThrough(*panel);
        state.PauseTiming();
        panel.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["pages"] = benchmark::Counter(pages, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ScrollPlainLabels)->Unit(benchmark::kMillisecond);

void BM_PopupShowCheckData(benchmark::State& state)
{
    const CHECK_DATAS results = makeResults(kPopupErrors);
    for (auto _ : state) {
        auto popup = std::make_unique<ContextShow>();
        popup->showCheckData(results, QStringLiteral("地确"));
        popup->show();
        QCoreApplication::processEvents();
        popup.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.SetItemsProcessed(state.iterations() * kPopupErrors);
}
BENCHMARK(BM_PopupShowCheckData)->Unit(benchmark::kMillisecond);

void BM_PlainLabels(benchmark::State& state)
{
    const CHECK_DATAS results = makeResults(int(state.range(0)));
    for (auto _ : state) {
        auto panel = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(panel.get());
        for (const auto& data : results)
            layout->addWidget(new QLabel(plainText(*data), panel.get()));
        panel->show();
        QCoreApplication::processEvents();
        panel.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PlainLabels)->Arg(kErrors)->Arg(kPopupErrors)->Unit(benchmark::kMillisecond);

KORRELO_BENCH_RATIO(fill_error_list_per_error, "BM_FillErrorList/0", "BM_PlainLabels/500");
KORRELO_BENCH_RATIO(fill_error_list_open_per_error, "BM_FillErrorList/1", "BM_PlainLabels/500");
KORRELO_BENCH_RATIO(scroll_error_list, "BM_ScrollErrorList/0", "BM_ScrollPlainLabels");
KORRELO_BENCH_RATIO(scroll_error_list_open, "BM_ScrollErrorList/1", "BM_ScrollPlainLabels");
KORRELO_BENCH_RATIO(popup_show_check_data, "BM_PopupShowCheckData", "BM_PlainLabels/20");

} // namespace

int main(int argc, char** argv)
{
    return korrelo_bench::runWidgetBenchmarks(argc, argv);
}
