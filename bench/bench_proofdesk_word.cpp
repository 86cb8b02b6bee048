// The Word tracker through late binding against the simulated word processor's own model:
// marking one page of findings, marking a page of held places again after an edit, and reading the
// text of the caret's page.

#include <QApplication>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "checkdata.h"
#include "comapi.h"
#include "dataitem.h"
#include "flaggedoccurrences.h"
#include "ratio.h"
#include "sim/word.h"
#include "wordclienthelper.h"
#include "wordhelper.h"
#include "wordobjects.h"

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
        sim::WordDocSpec setup;
        setup.text = text.toStdU16String();
        setup.pageStarts = pageStarts;
        doc = sim::openWordDocument(app, setup);
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

// A page of 1,000 flagged places: 100 results, each flagged at 10 places, 33 places a paragraph.
constexpr int kPlaces = 1000;
constexpr int kPlacesPerParagraph = 33;

struct PlacedPage
{
    QString text;
    CHECK_DATAS results;
};

PlacedPage placedPage()
{
    PlacedPage page;
    page.results = pageResults();
    for (int j = 0; j < kPlaces; ++j) {
        if (j > 0 && j % kPlacesPerParagraph == 0)
            page.text += QLatin1Char('\r');
        _CHECK_DATA_POS_ at;
        at.begin = uint32_t(page.text.size());
        at.end = at.begin + 1;
        page.results[size_t(j % kResults)]->pos.push_back(at);
        page.text += wordsOf(j % kResults) + QChar(0x6587);
    }
    page.text += QLatin1Char('\r');
    return page;
}

// The user types a character at the start of the page, or takes it away again.
void editBefore(sim::WordDocId doc, int round)
{
    if (round % 2 == 0)
        sim::replaceWordText(doc, 0, 0, u"他");
    else
        sim::replaceWordText(doc, 0, 1, u"");
}

bool allMarked(sim::WordDocId doc)
{
    return int(sim::wordUnderlineRuns(doc).size()) == kPlaces;
}

// The tracker draws its held places again, as after a save, a print or a type-filter change.
void BM_WordRemarkHeldPlaces(benchmark::State& state)
{
    const PlacedPage page = placedPage();
    Desk desk(page.text, {});
    desk.tracker->getCurrentPageText(desk.param, false);
    desk.tracker->showErrors(page.results, desk.param, QVector<int>());
    QSharedPointer<WordHelper> helper = desk.tracker->getWordHelper(desk.param);
    // The caret off every place, so that no pop-up is built.
    const int end = int(sim::wordText(desk.doc).size()) - 1;
    sim::setWordSelection(desk.doc, end, end);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        editBefore(desk.doc, round++);
        helper->clearErrors(true);
        state.ResumeTiming();
        // The next caret move finds the page unmarked and marks it.
        helper->timeoutSelectionChange();
    }
    if (!allMarked(desk.doc))
        state.SkipWithError("not every place was marked");
}
BENCHMARK(BM_WordRemarkHeldPlaces)->Unit(benchmark::kMillisecond);

// What marking again cost while places were ordinals: the checked stretch read and counted again,
// then every paragraph of the page read and searched, each occurrence whose ordinal was flagged
// underlined through the same automation calls.
void markByOrdinals(IDispatch* doc, IDispatch* checked, const CHECK_DATAS& results,
                    const std::vector<FlaggedOccurrences>& occurrences)
{
    const LONG base = getProperty(checked, word::Range::Start).toLong();
    const std::u16string stretch = getProperty(checked, word::Range::Text).toString().toStdU16String();
    std::vector<std::vector<size_t>> starts(results.size());
    for (size_t id = 0; id < results.size(); ++id)
        starts[id] = occurrences[id].startsIn(stretch, QString::fromUtf8(results[id]->words.c_str()).toStdU16String());
    IDispatchPtr content = getProperty(doc, word::Document::Content).toDispatch();
    IDispatchPtr paragraphs = getProperty(content, word::Range::Paragraphs).toDispatch();
    const LONG count = getProperty(paragraphs, word::Paragraphs::Count).toLong();
    for (LONG i = 1; i <= count; ++i) {
        IDispatchPtr paragraph = callMethod(paragraphs, word::Paragraphs::Item, {int(i)}).toDispatch();
        IDispatchPtr range = getProperty(paragraph, word::Paragraph::Range).toDispatch();
        const QString text = getProperty(range, word::Range::Text).toString();
        const LONG from = getProperty(range, word::Range::Start).toLong();
        for (size_t id = 0; id < results.size(); ++id) {
            const QString needle = QString::fromUtf8(results[id]->words.c_str());
            for (int pos = text.indexOf(needle); pos >= 0; pos = text.indexOf(needle, pos + needle.size())) {
                const int start = int(from) + pos;
                if (!std::binary_search(starts[id].begin(), starts[id].end(), size_t(start - base)))
                    continue;
                IDispatchPtr occurrence =
                    callMethod(doc, word::Document::Range, {start, start + int(needle.size())}).toDispatch();
                if (getProperty(occurrence, word::Range::Text).toString() != needle)
                    continue;
                IDispatchPtr font = getProperty(occurrence, word::Range::Font).toDispatch();
                getProperty(font, word::Font::Underline);
                getProperty(font, word::Font::UnderlineColor);
                putProperty(font, word::Font::Underline, 27);
                putProperty(font, word::Font::UnderlineColor, 496);
                putProperty(occurrence, word::Range::Font, font);
            }
        }
    }
}

void BM_WordRemarkByOrdinals(benchmark::State& state)
{
    const PlacedPage page = placedPage();
    Desk desk(page.text, {});
    const std::u16string checkedText = page.text.toStdU16String();
    std::vector<FlaggedOccurrences> occurrences;
    for (const auto& result : page.results)
        occurrences.emplace_back(checkedText, *result);
    IDispatchPtr doc = sim::wordDocumentObject(desk.doc);
    IDispatchPtr checked = getProperty(doc, word::Document::Content).toDispatch();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        editBefore(desk.doc, round++);
        sim::setWordUnderline(desk.doc, 0, int(sim::wordText(desk.doc).size()), sim::Underline{});
        state.ResumeTiming();
        markByOrdinals(doc, checked, page.results, occurrences);
    }
    if (!allMarked(desk.doc))
        state.SkipWithError("not every place was marked");
}
BENCHMARK(BM_WordRemarkByOrdinals)->Unit(benchmark::kMillisecond);

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
KORRELO_BENCH_RATIO(word_remark_held_places, "BM_WordRemarkHeldPlaces", "BM_WordRemarkByOrdinals");

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
