#include <QRandomGenerator>
#include <QSyntaxHighlighter>
#include <QTest>
#include <QTextEdit>

#include "editorfixture.h"
#include "syntaxhighlighter.h"

namespace {

// The marks found one result at a time with a plain search, as a reference for the index.
class PlainSearchHighlighter : public QSyntaxHighlighter
{
public:
    PlainSearchHighlighter(QTextDocument* document, const QStringList& texts, const SyntaxHighlighter& formats)
        : QSyntaxHighlighter(document), texts(texts), plain(formats.errorFormat())
    {
    }

protected:
    void highlightBlock(const QString& text) override
    {
        for (const QString& needle : texts) {
            int from = 0;
            while (from < text.size()) {
                const int at = text.indexOf(needle, from);
                if (at < 0)
                    break;
                setFormat(at, needle.size(), plain);
                from = at + needle.size();
            }
        }
    }

private:
    QStringList texts;
    QTextCharFormat plain;
};

// Per paragraph, the units carrying a format ('x') or none ('.').
QStringList formattedUnits(QTextDocument* document)
{
    QStringList out;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        QString units(block.length() - 1, QLatin1Char('.'));
        for (const QTextLayout::FormatRange& range : block.layout()->formats())
            units.replace(range.start, range.length, QString(range.length, QLatin1Char('x')));
        out << units;
    }
    return out;
}

// Counts the paragraphs it highlights: one per paragraph and re-highlight.
class CountingHighlighter : public SyntaxHighlighter
{
public:
    using SyntaxHighlighter::SyntaxHighlighter;
    int highlighted = 0;

protected:
    void highlightBlock(const QString& text) override
    {
        ++highlighted;
        SyntaxHighlighter::highlightBlock(text);
    }
};

} // namespace

class TestHighlighter : public QObject
{
    Q_OBJECT
private slots:
    void marksOccurrences_data();
    void marksOccurrences();
    void handledErrorsAreNotMarked();
    void isErrorFormat_data();
    void isErrorFormat();
    void identicalParagraphsAreAllMarked();
    void indexMatchesPlainSearch();
    void markDirtyBatchesIntoOneRehighlight();
    void marksFlaggedPlacesOnly_data();
    void marksFlaggedPlacesOnly();
};

void TestHighlighter::marksOccurrences_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("errors");
    QTest::addColumn<int>("cursor");   // -1: the highlighter has no editor
    QTest::addColumn<int>("filter");
    QTest::addColumn<QStringList>("expected");

    const QString three = QStringLiteral("错字a错字b错字");
    const QStringList errors{QStringLiteral("错字")};
    const QStringList plainThree{"0:0+2", "0:3+2", "0:6+2"};
    QTest::newRow("three occurrences") << three << errors << -1 << -1 << plainThree;
    QTest::newRow("cursor inside") << three << errors << 4 << -1 << QStringList{"0:0+2", "0:3+2*", "0:6+2"};
    QTest::newRow("cursor at start edge") << three << errors << 6 << -1
                                          << QStringList{"0:0+2", "0:3+2", "0:6+2*"};
    QTest::newRow("cursor at end edge") << three << errors << 8 << -1 << QStringList{"0:0+2", "0:3+2", "0:6+2*"};
    QTest::newRow("filter of an absent type") << three << errors << -1 << 7 << QStringList{};
    QTest::newRow("filter -1 shows all") << three << errors << -1 << -1 << plainThree;
    QTest::newRow("empty results") << three << QStringList{} << -1 << -1 << QStringList{};
    QTest::newRow("empty document") << QString() << errors << -1 << -1 << QStringList{};
    // Touching marks stay two, so each is found and acted on alone; overlapping ones stay one.
    QTest::newRow("no overlap within one text") << QStringLiteral("aaaa") << QStringList{"aa"} << -1 << -1
                                                << QStringList{"0:0+2", "0:2+2"};
    QTest::newRow("touching errors") << QStringLiteral("他门以经来了") << QStringList{"他门", "以经"} << -1 << -1
                                     << QStringList{"0:0+2", "0:2+2"};
    QTest::newRow("touching errors, cursor where they meet")
        << QStringLiteral("他门以经来了") << QStringList{"他门", "以经"} << 2 << -1 << QStringList{"0:0+2*", "0:2+2*"};
    // "bc" touches the current "ab", and "cd" touches "bc": the whole chain shows as current.
    QTest::newRow("chain touching the current error")
        << QStringLiteral("abcd x cd") << QStringList{"ab", "bc", "cd"} << 1 << -1
        << QStringList{"0:0+4*", "0:7+2"};
    QTest::newRow("later result wins the overlap") << QStringLiteral("xabcx") << QStringList{"abc", "b"} << -1 << -1
                                                   << QStringList{"0:1+3"};
    QTest::newRow("occurrences in each paragraph")
        << QStringLiteral("错字\n无\n一错字") << errors << -1 << -1 << QStringList{"0:0+2", "2:1+2"};
}

void TestHighlighter::marksOccurrences()
{
    QFETCH(QString, text);
    QFETCH(QStringList, errors);
    QFETCH(int, cursor);
    QFETCH(int, filter);
    QFETCH(QStringList, expected);

    QTextEdit edit;
    edit.setPlainText(text);
    SyntaxHighlighter highlighter(edit.document(), cursor >= 0 ? &edit : nullptr);
    if (cursor >= 0) {
        QTextCursor textCursor = edit.textCursor();
        textCursor.setPosition(cursor);
        edit.setTextCursor(textCursor);
    }
    CHECK_DATAS results;
    for (const QString& error : errors)
        results.push_back(fixture::makeResult(error, {}, -1, {3}));
    highlighter.setCheckData(results);
    if (filter != -1)
        highlighter.setErrorTypeFilter(filter);
    highlighter.rehighlight();
    QCOMPARE(fixture::marks(edit.document(), &highlighter), expected);
}

void TestHighlighter::handledErrorsAreNotMarked()
{
    QTextEdit edit;
    edit.setPlainText(QStringLiteral("x 的 x 的"));
    SyntaxHighlighter highlighter(edit.document(), nullptr);
    CHECK_DATAS results{fixture::makeResult("x", {}, -1, {1}), fixture::makeResult("的", {}, -1, {2}),
                        fixture::makeResult("x", {}, -1, {5})};
    highlighter.setCheckData(results);
    highlighter.setErrorHandled(QString());
    highlighter.rehighlight();
    QCOMPARE(fixture::marks(edit.document(), &highlighter).size(), 4);

    highlighter.setErrorHandled(QStringLiteral("x"));
    highlighter.markDirty();
    QTRY_COMPARE(fixture::marks(edit.document(), &highlighter), (QStringList{"0:2+1", "0:6+1"}));
    // A new check brings every error back, and the filter is reset with it.
    highlighter.setErrorTypeFilter(2);
    highlighter.setCheckData(results);
    QCOMPARE(highlighter.errorTypeFilter(), -1);
    highlighter.rehighlight();
    QCOMPARE(fixture::marks(edit.document(), &highlighter).size(), 4);
}

void TestHighlighter::isErrorFormat_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("withBackground");
    QTest::addColumn<bool>("expected");
    QTest::newRow("error format") << int(QTextCharFormat::WaveUnderline) << QColor(Qt::red) << false << true;
    QTest::newRow("current error format") << int(QTextCharFormat::WaveUnderline) << QColor(Qt::red) << true << true;
    QTest::newRow("other colour") << int(QTextCharFormat::WaveUnderline) << QColor(Qt::blue) << false << false;
    QTest::newRow("other style") << int(QTextCharFormat::SingleUnderline) << QColor(Qt::red) << false << false;
    QTest::newRow("no underline") << int(QTextCharFormat::NoUnderline) << QColor() << false << false;
}

void TestHighlighter::isErrorFormat()
{
    QFETCH(int, style);
    QFETCH(QColor, colour);
    QFETCH(bool, withBackground);
    QFETCH(bool, expected);
    QTextDocument document;
    SyntaxHighlighter highlighter(&document, nullptr);
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::UnderlineStyle(style));
    if (colour.isValid())
        format.setUnderlineColor(colour);
    if (withBackground)
        format.setBackground(QColor(255, 0, 0, 70));
    QCOMPARE(highlighter.isErrorFormat(format), expected);
}

void TestHighlighter::identicalParagraphsAreAllMarked()
{
    QTextEdit edit;
    edit.setPlainText(QStringLiteral("一个错字\n一个错字"));
    SyntaxHighlighter highlighter(edit.document(), nullptr);
    CHECK_DATAS results = fixture::makeResults({QStringLiteral("错字")});
    highlighter.setCheckData(results);
    highlighter.rehighlight();
    QCOMPARE(fixture::marks(edit.document(), &highlighter), (QStringList{"0:2+2", "1:2+2"}));

    QTextCursor cursor(edit.document());
    cursor.insertText(QStringLiteral("一个错字\n"));
    QCOMPARE(fixture::marks(edit.document(), &highlighter), (QStringList{"0:2+2", "1:2+2", "2:2+2"}));
}

// A random document of overlapping texts: the indexed search must find exactly what a search per
// text finds, including where texts overlap and repeat.
void TestHighlighter::indexMatchesPlainSearch()
{
    QRandomGenerator random(20261208);
    const QString alphabet = QStringLiteral("错字的了是在ab");
    QStringList paragraphs;
    for (int p = 0; p < 60; ++p) {
        QString paragraph;
        const int length = int(random.bounded(0, 40));
        for (int i = 0; i < length; ++i)
            paragraph += alphabet.at(int(random.bounded(alphabet.size())));
        paragraphs << paragraph;
    }
    QStringList texts;
    for (int t = 0; t < 25; ++t) {
        QString text;
        const int length = int(random.bounded(1, 4));
        for (int i = 0; i < length; ++i)
            text += alphabet.at(int(random.bounded(alphabet.size())));
        texts << text;
    }
    const QString document = paragraphs.join(QLatin1Char('\n'));

    QTextDocument indexed(document);
    SyntaxHighlighter highlighter(&indexed, nullptr);
    CHECK_DATAS results = fixture::makeResults(texts);
    highlighter.setCheckData(results);
    highlighter.rehighlight();

    QTextDocument reference(document);
    PlainSearchHighlighter plain(&reference, texts, highlighter);
    plain.rehighlight();

    const QStringList expected = formattedUnits(&reference);
    QVERIFY(expected.join(QString()).count(QLatin1Char('x')) > 100);
    QCOMPARE(formattedUnits(&indexed), expected);
}

void TestHighlighter::markDirtyBatchesIntoOneRehighlight()
{
    QTextEdit edit;
    edit.setPlainText(QStringLiteral("错字"));
    CountingHighlighter highlighter(edit.document(), nullptr);
    // The highlighting a new highlighter runs once by itself, before there are results.
    QTRY_COMPARE(highlighter.highlighted, 1);
    CHECK_DATAS results = fixture::makeResults({QStringLiteral("错字")});
    highlighter.setCheckData(results);
    QVERIFY(fixture::marks(edit.document(), &highlighter).isEmpty());
    highlighter.highlighted = 0;
    for (int i = 0; i < 3; ++i)
        highlighter.markDirty();
    QCOMPARE(highlighter.highlighted, 0);
    QTRY_COMPARE(fixture::marks(edit.document(), &highlighter), QStringList{"0:0+2"});
    QCOMPARE(highlighter.highlighted, 1);
    // Later ticks of the timer find nothing left to do.
    highlighter.timerTickRefresh();
    highlighter.timerTickRefresh();
    QCOMPARE(highlighter.highlighted, 1);
}

void TestHighlighter::marksFlaggedPlacesOnly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("checked");   // empty: the text itself was checked
    QTest::addColumn<QString>("words");      // results apart by "|", one begin each
    QTest::addColumn<QList<int>>("begins");  // empty: a result without positions
    // then "+at:text" inserts, "-at:count" deletes, "undo" undoes the last edit
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QStringList>("expected");

    const QString repeat = QStringLiteral("这是我的的书。他的的确确很好。");
    const QString dede = QStringLiteral("的的");
    const QList<int> first{3};
    QTest::newRow("a repeat, not the word it is part of") << repeat << QString() << dede << first << QStringList{}
                                                         << QStringList{"0:3+2"};
    QTest::newRow("the comma after Chinese, not the one in Hello, world")
        << QStringLiteral("他来了,好。Hello, world") << QString() << "," << QList<int>{3} << QStringList{}
        << QStringList{"0:3+1"};
    QTest::newRow("places in two paragraphs") << QStringLiteral("错字\n错字\n一错字") << QString() << "错字"
                                              << QList<int>{0, 7} << QStringList{} << QStringList{"0:0+2", "2:1+2"};
    QTest::newRow("results not in text order") << QStringLiteral("甲错字\n乙的的") << QString() << "的的|错字"
                                               << QList<int>{5, 1} << QStringList{} << QStringList{"0:1+2", "1:1+2"};
    QTest::newRow("without positions, every place") << repeat << QString() << dede << QList<int>{} << QStringList{}
                                                    << QStringList{"0:3+2", "0:8+2"};
    QTest::newRow("text put before while the check ran") << QStringLiteral("前言。") + repeat << repeat << dede
                                                         << first << QStringList{} << QStringList{"0:6+2"};
    const QString came = QStringLiteral("他门来了。");
    const QString twice = QStringLiteral("他门他门来了。");
    const QList<int> start{0};
    QTest::newRow("the same words typed right before while the check ran: neither marked")
        << twice << came << "他门" << start << QStringList{} << QStringList{};
    QTest::newRow("the same words typed right behind while the check ran: neither marked")
        << QStringLiteral("他门来了。他门来了。") << came << "他门" << start << QStringList{} << QStringList{};
    QTest::newRow("the same words typed apart while the check ran: the flagged one marked")
        << QStringLiteral("他门来了。好，他门") << came << "他门" << start << QStringList{} << QStringList{"0:0+2"};
    QTest::newRow("other words typed right before while the check ran")
        << QStringLiteral("我说他门来了。") << came << "他门" << start << QStringList{} << QStringList{"0:2+2"};
    QTest::newRow("the same words typed over other text while the check ran")
        << QStringLiteral("他门他门了。") << came << "他门" << start << QStringList{} << QStringList{};
    QTest::newRow("flagged words corrected while the check ran")
        << QStringLiteral("这是我的书。他的的确确很好。") << repeat << dede << first << QStringList{} << QStringList{};
    QTest::newRow("typed right before") << repeat << QString() << dede << first << QStringList{"+3:们"}
                                        << QStringList{"0:4+2"};
    QTest::newRow("typed right behind") << repeat << QString() << dede << first << QStringList{"+5:x"}
                                        << QStringList{"0:3+2"};
    QTest::newRow("a new paragraph before") << repeat << QString() << dede << first << QStringList{"+2:\n"}
                                            << QStringList{"1:1+2"};
    QTest::newRow("the same words typed before stay unmarked") << repeat << QString() << dede << first
                                                               << QStringList{"+0:的的"} << QStringList{"0:5+2"};
    QTest::newRow("corrected by hand: the word after stays unmarked") << repeat << QString() << dede << first
                                                                      << QStringList{"-4:1"} << QStringList{};
    QTest::newRow("deleted, then undone") << repeat << QString() << dede << first << QStringList{"-3:2", "undo"}
                                          << QStringList{"0:3+2"};
    QTest::newRow("deleted, undone, then typed right behind")
        << repeat << QString() << dede << first << QStringList{"-3:2", "undo", "+5:x"} << QStringList{"0:3+2"};
    QTest::newRow("corrected by hand, then undone") << repeat << QString() << dede << first
                                                    << QStringList{"-4:1", "undo"} << QStringList{"0:3+2"};
}

void TestHighlighter::marksFlaggedPlacesOnly()
{
    QFETCH(QString, text);
    QFETCH(QString, checked);
    QFETCH(QString, words);
    QFETCH(QList<int>, begins);
    QFETCH(QStringList, edits);
    QFETCH(QStringList, expected);
    QTextEdit edit;
    edit.setPlainText(text);
    SyntaxHighlighter highlighter(edit.document(), nullptr);
    CHECK_DATAS results;
    const QStringList texts = words.split(QLatin1Char('|'));
    for (int i = 0; i < texts.size(); ++i)
        results.push_back(fixture::makeFlagged(texts.at(i), texts.size() == 1 ? begins : QList<int>{begins.at(i)}));
    highlighter.setCheckData(results, checked.isEmpty() ? text : checked);
    highlighter.rehighlight();
    for (const QString& step : edits) {
        QTextCursor cursor(edit.document());
        const int at = step.mid(1, step.indexOf(QLatin1Char(':')) - 1).toInt();
        const QString rest = step.mid(step.indexOf(QLatin1Char(':')) + 1);
        cursor.setPosition(at);
        if (step == QStringLiteral("undo")) {
            edit.document()->undo();
        } else if (step.startsWith(QLatin1Char('+'))) {
            cursor.insertText(rest);
        } else {
            cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, rest.toInt());
            cursor.removeSelectedText();
        }
    }
    // As the edited paragraphs were re-highlighted, as a whole pass draws them, as the editor finds them.
    QCOMPARE(fixture::marks(edit.document(), &highlighter), expected);
    highlighter.rehighlight();
    QCOMPARE(fixture::marks(edit.document(), &highlighter), expected);
    int found = 0;
    for (int i = 0; i < texts.size(); ++i)
        found += highlighter.marksOf(i).size();
    QCOMPARE(found, expected.size());
}

QTEST_MAIN(TestHighlighter)
#include "tst_highlighter.moc"
