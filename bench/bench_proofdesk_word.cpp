// The Word tracker through late binding against the simulated word processor's own model:
// marking one page of findings, and reading the text of the caret's page.

#include <QApplication>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "checkdata.h"
#include "comapi.h"
#include "dataitem.h"
#include "ratio.h"
#include "sim/word.h"
#include "wordclienthelper.h"

namespace {

constexpr int kParagraphs = 30;
constexpr int kParagraphLength = 100;   // with its "\r"
constexpr int kResults = 100;
constexpr int kOccurrences = 200;

// Two characters no filler contains, different for every result.
QString wordsOf(int result)
{
    const QChar pair[] = {QChar(0x6000 + 2 * result), QChar(0x6001 + 2 * result)};
    return QString(pair, 2);
}

// A page of 30 paragraphs, every result's words twice on it.
QString markedPage()
{
    QString page;
    for (int p = 0; p < kParagraphs; ++p)
        page += QString(kParagraphLength - 1, QChar(0x6587)) + QLatin1Char('\r');
    for (int j = 0; j < kOccurrences; ++j) {
        const int at = (j % kParagraphs) * kParagraphLength + (j / kParagraphs) * 10;
        page.replace(at, 2, wordsOf(j % kResults));
    }
    return page;
}

CHECK_DATAS pageResults()
{
    CHECK_DATAS results;
    for (int i = 0; i < kResults; ++i) {
        auto data = std::make_shared<CheckData>();
        data->words = wordsOf(i).toStdString();
        data->dataItem = std::make_shared<DataItem>();
        data->dataItem->addValue("x", 1);
        data->errorTypes = {1};
        results.push_back(data);
    }
    return results;
}

QSharedPointer<EditorParam> paneParam(sim::WordDocId doc)
{
    auto param = QSharedPointer<EditorParam>::create();
    param->hwnd = sim::wordPane(doc);
    IAccessible* acc = nullptr;
    if (SUCCEEDED(AccessibleObjectFromWindow(param->hwnd, DWORD(OBJID_CLIENT), IID_IAccessible,
                                             reinterpret_cast<void**>(&acc))) && acc) {
        param->setAcc(acc);
        acc->Release();
    }
    return param;
}

struct Desk
{
    sim::WordDocId doc = 0;
    std::unique_ptr<WordClientHelper> tracker = std::make_unique<WordClientHelper>();
    QSharedPointer<EditorParam> param;

    Desk(const QString& text, const std::vector<int>& pageStarts)
    {
        const sim::WordAppId app = sim::createWordApp();
        sim::WordDocSpec spec;
        spec.text = text.toStdU16String();
        spec.pageStarts = pageStarts;
        doc = sim::openWordDocument(app, spec);
        param = paneParam(doc);
        tracker->focusChanged(param);
    }
    ~Desk()
    {
        tracker.reset();
        sim::resetWord();
    }
};

void BM_WordMarkPage(benchmark::State& state)
{
    Desk desk(markedPage(), {});
    const CHECK_DATAS results = pageResults();
    for (auto _ : state) {
        state.PauseTiming();
        desk.tracker->clearErrors(desk.param);
        state.ResumeTiming();
        desk.tracker->showErrors(results, desk.param, QVector<int>());
    }
    const int marked = int(sim::wordUnderlineRuns(desk.doc).size());
    if (marked != kOccurrences)
        state.SkipWithError("not every occurrence was marked");
}
BENCHMARK(BM_WordMarkPage)->Unit(benchmark::kMillisecond);

// The floor: the same search over the page text, each occurrence underlined in the model directly.
void BM_WordMarkPageInModel(benchmark::State& state)
{
    Desk desk(markedPage(), {});
    const CHECK_DATAS results = pageResults();
    const sim::Underline mark{27, 496};
    for (auto _ : state) {
        state.PauseTiming();
        sim::setWordUnderline(desk.doc, 0, kParagraphs * kParagraphLength, sim::Underline{});
        state.ResumeTiming();
        const QString text = QString::fromStdU16String(sim::wordText(desk.doc));
        for (const auto& result : results) {
            const QString needle = QString::fromUtf8(result->words.c_str());
            for (int pos = text.indexOf(needle); pos >= 0; pos = text.indexOf(needle, pos + needle.size()))
                sim::setWordUnderline(desk.doc, pos, pos + needle.size(), mark);
        }
    }
}
BENCHMARK(BM_WordMarkPageInModel)->Unit(benchmark::kMillisecond);

constexpr int kPages = 100;
constexpr int kPageLength = 3000;

QString longDocument()
{
    QString text;
    text.reserve(kPages * kPageLength);
    for (int p = 0; p < kPages * kParagraphs; ++p)
        text += QString(kParagraphLength - 1, QChar(0x4E00 + p % 500)) + QLatin1Char('\r');
    return text;
}

std::vector<int> pageStarts()
{
    std::vector<int> starts;
    for (int p = 1; p < kPages; ++p)
        starts.push_back(p * kPageLength);
    return starts;
}

void BM_WordPageText(benchmark::State& state)
{
    Desk desk(longDocument(), pageStarts());
    sim::setWordSelection(desk.doc, 50 * kPageLength + 7, 50 * kPageLength + 7);
    for (auto _ : state) {
        const QString text = desk.tracker->getCurrentPageText(desk.param, false);
        if (text.size() != kPageLength)
            state.SkipWithError("wrong page text");
        benchmark::DoNotOptimize(text.constData());
    }
}
BENCHMARK(BM_WordPageText)->Unit(benchmark::kMicrosecond);

// The floor: copying the same stretch out of the model's text.
void BM_WordPageTextFromModel(benchmark::State& state)
{
    Desk desk(longDocument(), pageStarts());
    const std::u16string model = sim::wordText(desk.doc);
    for (auto _ : state) {
        const QString text = QString::fromUtf16(model.data() + 50 * kPageLength, kPageLength);
        benchmark::DoNotOptimize(text.constData());
    }
}
BENCHMARK(BM_WordPageTextFromModel)->Unit(benchmark::kMicrosecond);

KORRELO_BENCH_RATIO(word_mark_page, "BM_WordMarkPage", "BM_WordMarkPageInModel");
KORRELO_BENCH_RATIO(word_page_text, "BM_WordPageText", "BM_WordPageTextFromModel");

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type >= QtCriticalMsg)
            fprintf(stderr, "%s\n", qPrintable(msg));
    });
    CoInitialize(nullptr);
    int code = 0;
    {
        QApplication app(argc, argv);
        code = korrelo_bench::runWithRatios(argc, argv);
    }
    CoUninitialize();
    return code;
}
