// The writing window's editor on a 200,000-character document: one full re-highlight with 1,000
// results flagged at one place each, and with 1,000 results drawn at every place of their text,
// against a highlighter that marks nothing; a character typed and deleted at the start with those
// 1,000 flagged places held, against the same edit under a highlighter that marks nothing; taking
// in the 1,000 results, against finding their flagged places alone; Replace All of a word found
// about 1,000 times, against QString::replace on the same text.

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSyntaxHighlighter>
#include <QTextDocument>

#include <cstdio>
#include <memory>

#include "checkdata.h"
#include "flaggedoccurrences.h"
#include "syntaxhighlighter.h"
#include "texteditex.h"
#include "widgetsearch.h"
#include "widgetbench.h"

namespace {

constexpr int kDocumentLength = 200000;
constexpr int kResults = 1000;
const QString kWord = QStringLiteral("错字");
const QString kReplacement = QStringLiteral("正字");

// Paragraphs of 150 to 250 characters drawn from common characters; every interval-th character
// position starts the given word when one is given.
QString makeDocument(quint32 seed, const QString& word = QString(), int interval = 0)
{
    static const QString alphabet =
        QStringLiteral("的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下过子说产种面而方后多定行学法所民得经");
    QRandomGenerator random(seed);
    QString text;
    text.reserve(kDocumentLength + 300);
    int paragraphLeft = int(random.bounded(150, 251));
    while (text.size() < kDocumentLength) {
        if (interval > 0 && text.size() % interval == 0 && paragraphLeft > word.size()) {
            text += word;
            paragraphLeft -= word.size();
            continue;
        }
        if (paragraphLeft-- <= 0) {
            text += QLatin1Char('\n');
            paragraphLeft = int(random.bounded(150, 251));
            continue;
        }
        text += alphabet.at(int(random.bounded(alphabet.size())));
    }
    return text;
}

// Results whose flagged words are stretches of two to four characters taken from the document.
CHECK_DATAS makeResults(const QString& text)
{
    QRandomGenerator random(7);
    CHECK_DATAS results;
    while (int(results.size()) < kResults) {
        const int length = int(random.bounded(2, 5));
        const int start = int(random.bounded(text.size() - length));
        const QString words = text.mid(start, length);
        if (words.contains(QLatin1Char('\n')))
            continue;
        auto data = std::make_shared<CheckData>();
        data->words = words.toStdString();
        _CHECK_DATA_POS_ range;
        range.begin = unsigned(start);
        range.end = unsigned(start + length - 1);
        data->pos.push_back(range);
        results.push_back(data);
    }
    return results;
}

class NothingHighlighter : public QSyntaxHighlighter
{
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;

protected:
    void highlightBlock(const QString&) override {}
};

void BM_HighlightErrors(benchmark::State& state)
{
    QTextDocument document(makeDocument(1));
    CHECK_DATAS results = makeResults(document.toPlainText());
    SyntaxHighlighter highlighter(&document, nullptr);
    highlighter.setCheckData(results);
    for (auto _ : state)
        highlighter.rehighlight();
}
BENCHMARK(BM_HighlightErrors)->Unit(benchmark::kMillisecond);

void BM_HighlightEveryPlace(benchmark::State& state)
{
    QTextDocument document(makeDocument(1));
    CHECK_DATAS results = makeResults(document.toPlainText());
    for (auto& data : results)
        data->pos.clear();
    SyntaxHighlighter highlighter(&document, nullptr);
    highlighter.setCheckData(results);
    for (auto _ : state)
        highlighter.rehighlight();
}
BENCHMARK(BM_HighlightEveryPlace)->Unit(benchmark::kMillisecond);

// One character typed at the start and deleted again: every held place moves twice.
void typeAndDelete(QTextDocument& document)
{
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("字"));
    cursor.deletePreviousChar();
}

void BM_TypeBeforeMarks(benchmark::State& state)
{
    QTextDocument document(makeDocument(1));
    document.setUndoRedoEnabled(false);
    CHECK_DATAS results = makeResults(document.toPlainText());
    SyntaxHighlighter highlighter(&document, nullptr);
    highlighter.setCheckData(results);
    highlighter.rehighlight();
    for (auto _ : state)
        typeAndDelete(document);
}
BENCHMARK(BM_TypeBeforeMarks)->Unit(benchmark::kMicrosecond);

void BM_TypeWithoutMarks(benchmark::State& state)
{
    QTextDocument document(makeDocument(1));
    document.setUndoRedoEnabled(false);
    NothingHighlighter highlighter(&document);
    for (auto _ : state)
        typeAndDelete(document);
}
BENCHMARK(BM_TypeWithoutMarks)->Unit(benchmark::kMicrosecond);

void BM_TakeInResults(benchmark::State& state)
{
    QTextDocument document(makeDocument(1));
    CHECK_DATAS results = makeResults(document.toPlainText());
    SyntaxHighlighter highlighter(&document, nullptr);
    for (auto _ : state)
        highlighter.setCheckData(results);
}
BENCHMARK(BM_TakeInResults)->Unit(benchmark::kMillisecond);

void BM_FindFlaggedPlaces(benchmark::State& state)
{
    const QString text = makeDocument(1);
    const std::u16string checked = text.toStdU16String();
    CHECK_DATAS results = makeResults(text);
    for (auto _ : state) {
        size_t places = 0;
        for (const auto& data : results) {
            const FlaggedOccurrences flagged(checked, *data);
            places += flagged.startsIn(checked, QString::fromStdString(data->words).toStdU16String()).size();
        }
        benchmark::DoNotOptimize(places);
    }
}
BENCHMARK(BM_FindFlaggedPlaces)->Unit(benchmark::kMillisecond);

void BM_HighlightNothing(benchmark::State& state)
{
    QTextDocument document(makeDocument(1));
    NothingHighlighter highlighter(&document);
    for (auto _ : state)
        highlighter.rehighlight();
}
BENCHMARK(BM_HighlightNothing)->Unit(benchmark::kMillisecond);

void BM_ReplaceAllInEditor(benchmark::State& state)
{
    const QString text = makeDocument(2, kWord, 200);
    // Not shown: a shown editor adds the relayout of every changed paragraph, which is Qt's and
    // the same for any way of editing them.
    TextEditEx editor;
    WidgetSearch search;
    search.setTextEdit(&editor);
    search.findChild<QLineEdit*>(QStringLiteral("replaceLineEdit"))->setText(kReplacement);
    QLineEdit* field = search.findChild<QLineEdit*>(QStringLiteral("searchLineEdit"));
    {
        const QSignalBlocker blocker(field);
        field->setText(kWord);
    }
    for (auto _ : state) {
        state.PauseTiming();
        editor.setPlainText(text);
        // The new text is laid out completely before the clock runs again.
        editor.document()->documentLayout()->documentSize();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        search.on_btnReplaceAll_clicked();
        QCoreApplication::processEvents();
    }
    state.counters["matches"] = text.count(kWord);
}
BENCHMARK(BM_ReplaceAllInEditor)->Unit(benchmark::kMillisecond);

void BM_ReplaceAllInString(benchmark::State& state)
{
    const QString text = makeDocument(2, kWord, 200);
    for (auto _ : state) {
        state.PauseTiming();
        QString copy = text;
        copy.detach();
        state.ResumeTiming();
        copy.replace(kWord, kReplacement);
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_ReplaceAllInString)->Unit(benchmark::kMillisecond);

} // namespace

KORRELO_BENCH_RATIO(highlight_200k_1000_errors, "BM_HighlightErrors", "BM_HighlightNothing");
KORRELO_BENCH_RATIO(highlight_200k_1000_texts_every_place, "BM_HighlightEveryPlace", "BM_HighlightNothing");
KORRELO_BENCH_RATIO(type_200k_1000_held_places, "BM_TypeBeforeMarks", "BM_TypeWithoutMarks");
KORRELO_BENCH_RATIO(take_in_200k_1000_results, "BM_TakeInResults", "BM_FindFlaggedPlaces");
KORRELO_BENCH_RATIO(replace_all_200k, "BM_ReplaceAllInEditor", "BM_ReplaceAllInString");

int main(int argc, char** argv)
{
    return korrelo_bench::runWidgetBenchmarks(argc, argv);
}
