#include <QtTest>

#include <random>

#include "diff.h"

namespace {

// A diff list written as runs separated by "|": "=" equality, "-" deletion, "+" insertion.
QString format(const std::list<Diff>& diffs)
{
    QStringList runs;
    for (const Diff& d : diffs) {
        const QChar op = d.operation == DIFF_EQUAL ? '=' : d.operation == DIFF_DELETE ? '-' : '+';
        runs << op + QString::fromStdU16String(d.text);
    }
    return runs.join('|');
}

std::list<Diff> parse(const QString& text)
{
    std::list<Diff> diffs;
    for (const QString& run : text.split('|', Qt::SkipEmptyParts)) {
        const DiffOp op = run.startsWith('=') ? DIFF_EQUAL : run.startsWith('-') ? DIFF_DELETE : DIFF_INSERT;
        diffs.emplace_back(op, run.mid(1).toStdU16String());
    }
    return diffs;
}

std::u16string u16(const QString& text) { return text.toStdU16String(); }

bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Empty when the result rebuilds both texts, has no empty run and cuts no surrogate pair.
QString checkResult(const std::list<Diff>& diffs, const std::u16string& text1, const std::u16string& text2)
{
    std::u16string rebuilt1, rebuilt2;
    for (const Diff& d : diffs) {
        if (d.text.empty())
            return QStringLiteral("empty run");
        for (bool first : {true, false}) {
            std::u16string& rebuilt = first ? rebuilt1 : rebuilt2;
            if (d.operation == (first ? DIFF_INSERT : DIFF_DELETE))
                continue;
            if (!rebuilt.empty() && isHigh(rebuilt.back()) && isLow(d.text.front()))
                return QStringLiteral("run boundary inside a surrogate pair");
            rebuilt += d.text;
        }
    }
    return rebuilt1 != text1 ? "first text not rebuilt" : rebuilt2 != text2 ? "second text not rebuilt" : QString();
}

size_t editedUnits(const std::list<Diff>& diffs)
{
    size_t units = 0;
    for (const Diff& d : diffs)
        units += d.operation == DIFF_EQUAL ? 0 : d.text.size();
    return units;
}

size_t longestCommonSubsequence(const std::u16string& a, const std::u16string& b)
{
    std::vector<size_t> row(b.size() + 1, 0);
    for (char16_t ca : a) {
        size_t diagonal = 0;
        for (size_t j = 0; j < b.size(); ++j) {
            const size_t above = row[j + 1];
            row[j + 1] = ca == b[j] ? diagonal + 1 : std::max(row[j], above);
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Random texts built from whole tokens, so they are well-formed; the emoji share high or low
// surrogates with each other, which makes the diff meet pairs that differ in one half only.
class TextMaker
{
public:
    explicit TextMaker(unsigned seed) : rng(seed) {}
    std::u16string text(size_t tokens, bool withSurrogates, bool withLines)
    {
        static const std::u16string pieces[] = {u"a", u"b", u"c", u" ", u"中", u"文", u"。",
                                                u"\U0001F600", u"\U0001F601", u"\U00010600"};
        std::u16string result;
        for (size_t i = 0; i < tokens; ++i) {
            result += pieces[number(withSurrogates ? 10 : 7)];
            if (withLines && number(8) == 0)
                result += u'\n';
        }
        return result;
    }
    // A copy of `text` with a few token-sized edits, so most of it is shared.
    std::u16string mutate(const std::u16string& original, bool withSurrogates)
    {
        std::u16string result = original;
        for (size_t i = 0, edits = 1 + number(5); i < edits; ++i) {
            size_t at = number(result.size() + 1);
            if (at < result.size() && isLow(result[at]))
                --at;
            const size_t kind = number(3);
            if (kind != 1 && at < result.size())
                result.erase(at, isHigh(result[at]) ? 2 : 1);
            if (kind != 0)
                result.insert(at, text(1 + number(3), withSurrogates, false));
        }
        return result;
    }
    size_t number(size_t bound) { return bound == 0 ? 0 : std::uniform_int_distribution<size_t>(0, bound - 1)(rng); }

private:
    std::mt19937 rng;
};

} // namespace

class TestDiff : public QObject
{
    Q_OBJECT

private slots:
    void diffResult_data();
    void diffResult();
    void cleanups_data();
    void cleanups();
    void measures_data();
    void measures();
    void randomPairsRebuild_data();
    void randomPairsRebuild();
    void lineCodesNeverRepeat();
    void shortDeadlineStillRebuilds();
};

void TestDiff::diffResult_data()
{
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<QString>("expected");
    QTest::newRow("both empty") << "" << "" << "";
    QTest::newRow("equal") << "abc" << "abc" << "=abc";
    QTest::newRow("one character changed") << "他门" << "他们" << "=他|-门|+们";
    QTest::newRow("tail deleted") << "abc" << "ab" << "=ab|-c";
    QTest::newRow("inserted around") << "ab" << "xaby" << "+x|=ab|+y";
    QTest::newRow("emoji sharing the high half")
        << QString::fromUtf8("a😀b") << QString::fromUtf8("a😁b") << QString::fromUtf8("=a|-😀|+😁|=b");
    QTest::newRow("emoji sharing the low half")
        << QString::fromUtf8("😀") << QString::fromUtf8("\xF0\x90\x98\x80")
        << QString::fromUtf8("-😀|+\xF0\x90\x98\x80");
}

void TestDiff::diffResult()
{
    QFETCH(QString, text1);
    QFETCH(QString, text2);
    QFETCH(QString, expected);
    for (float timeout : {1.0f, 0.0f}) {
        TextDiff differ;
        differ.timeout = timeout;
        QCOMPARE(format(differ.diff(u16(text1), u16(text2))), expected);
    }
}

enum Cleanup { Merge, Semantic, Surrogate };

void TestDiff::cleanups_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("merge: nothing to merge") << int(Merge) << "=a|-b|+c" << "=a|-b|+c";
    QTest::newRow("merge: equalities joined") << int(Merge) << "=a|=b|=c" << "=abc";
    QTest::newRow("merge: edits interleaved") << int(Merge) << "=a|-b|+c|-d|+e|=f" << "=a|-bd|+ce|=f";
    QTest::newRow("merge: common prefix and suffix out") << int(Merge) << "-a|+abc|-dc" << "=a|-d|+b|=c";
    QTest::newRow("merge: common prefix after an equality") << int(Merge) << "=x|-a|+abc|-dc|=y" << "=xa|-d|+b|=cy";
    QTest::newRow("merge: shift left over an equality") << int(Merge) << "=a|+ba|=c" << "+ab|=ac";
    QTest::newRow("merge: shift right over an equality") << int(Merge) << "=c|+ab|=a" << "=ca|+ba";
    QTest::newRow("merge: shifts repeat") << int(Merge) << "=a|-b|=c|-ac|=x" << "-abc|=acx";
    QTest::newRow("merge: empty runs dropped") << int(Merge) << "=a|-|=b|+" << "=ab";
    QTest::newRow("merge: edits that cancel") << int(Merge) << "=x|-a|+a|=y" << "=xay";
    QTest::newRow("semantic: short equality between edits") << int(Semantic) << "-a|=b|-c" << "-abc|+b";
    QTest::newRow("semantic: longer equality kept") << int(Semantic) << "-ab|=cd|-e" << "-ab|=cd|-e";
    QTest::newRow("semantic: deletion overlaps insertion") << int(Semantic) << "-abcxxx|+xxxdef" << "-abc|=xxx|+def";
    QTest::newRow("semantic: insertion overlaps deletion") << int(Semantic) << "-xxxabc|+defxxx" << "+def|=xxx|-abc";
    QTest::newRow("semantic: small overlap ignored") << int(Semantic) << "-abcdefgh|+xyzwvuabc" << "-abcdefgh|+xyzwvuabc";
    QTest::newRow("semantic: edit moved to a word boundary") << int(Semantic) << "=The c|+at c|=ame." << "=The |+cat |=came.";
    QTest::newRow("semantic: edit moved to blank lines") << int(Semantic) << "=AAA\r\n\r\nBBB|+ DDD\r\n\r\nBBB|= EEE"
                                                         << "=AAA\r\n\r\n|+BBB DDD\r\n\r\n|=BBB EEE";
    const QChar high(0xD83D), low0(0xDE00), low1(0xDE01);
    QTest::newRow("surrogate: shared high half") << int(Surrogate) << QString("=a%1|-%2|+%3|=b").arg(high, low0, low1)
                                                 << QString("=a|-%1%2|+%1%3|=b").arg(high, low0, low1);
    QTest::newRow("surrogate: shared low half") << int(Surrogate) << QString("-%1|+%2|=%3x").arg(QChar(0xD801), high, low0)
                                                << QString("-%1%3|+%2%3|=x").arg(QChar(0xD801), high, low0);
    QTest::newRow("surrogate: equality of one half only")
        << int(Surrogate) << QString("=%1|+%2x").arg(high, low0) << QString("-%1|+%1%2x").arg(high, low0);
    QTest::newRow("surrogate: lone halves left alone")
        << int(Surrogate) << QString("=a%1|-b|=c%2").arg(high, low0) << QString("=a%1|-b|=c%2").arg(high, low0);
}

void TestDiff::cleanups()
{
    QFETCH(int, kind);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    std::list<Diff> diffs = parse(input);
    if (kind == Merge)
        TextDiff::mergeCleanup(diffs);
    else if (kind == Semantic)
        TextDiff::semanticCleanup(diffs);
    else
        TextDiff::surrogateCleanup(diffs);
    QCOMPARE(format(diffs), expected);
}

// Boundary scores (two texts meeting) and common overlaps (end of one, start of the other).
void TestDiff::measures_data()
{
    QTest::addColumn<bool>("score");
    QTest::addColumn<QString>("one");
    QTest::addColumn<QString>("two");
    QTest::addColumn<int>("expected");
    QTest::newRow("score: edge of the text") << true << "" << "b" << 6;
    QTest::newRow("score: blank line before") << true << "a\n\n" << "b" << 5;
    QTest::newRow("score: blank line after, CR LF") << true << "a" << "\r\n\r\nb" << 5;
    QTest::newRow("score: line break") << true << "a\n" << "b" << 4;
    QTest::newRow("score: end of sentence") << true << "a." << " b" << 3;
    QTest::newRow("score: white space") << true << "a" << " b" << 2;
    QTest::newRow("score: ideographic space") << true << "a" << QString(QChar(0x3000)) + "b" << 2;
    QTest::newRow("score: punctuation") << true << "a" << ".b" << 1;
    QTest::newRow("score: inside a word") << true << "a" << "b" << 0;
    QTest::newRow("overlap") << false << "abcxxx" << "xxxdef" << 3;
    QTest::newRow("overlap: second empty") << false << "abc" << "" << 0;
    QTest::newRow("overlap: whole first") << false << "abc" << "abcd" << 3;
    QTest::newRow("overlap: whole second") << false << "xabc" << "abc" << 3;
    QTest::newRow("overlap: longest wins") << false << "xaxa" << "axay" << 3;
    QTest::newRow("overlap: no normalisation") << false << "fi" << QString(QChar(0xFB01)) + "i" << 0;
}

void TestDiff::measures()
{
    QFETCH(bool, score);
    QFETCH(QString, one);
    QFETCH(QString, two);
    QFETCH(int, expected);
    QCOMPARE(score ? TextDiff::boundaryScore(u16(one), u16(two)) : int(TextDiff::commonOverlapLength(u16(one), u16(two))),
             expected);
}

void TestDiff::randomPairsRebuild_data()
{
    QTest::addColumn<int>("pairs");
    QTest::addColumn<int>("minTokens");
    QTest::addColumn<int>("maxTokens");
    QTest::addColumn<bool>("withLines");
    QTest::addColumn<float>("timeout");
    for (float timeout : {0.0f, 1.0f, 0.001f}) {
        const QByteArray suffix = QByteArray(", timeout ") + QByteArray::number(double(timeout));
        QTest::newRow(("short" + suffix).constData()) << 400 << 0 << 40 << false << timeout;
        QTest::newRow(("long" + suffix).constData()) << 12 << 500 << 2000 << false << timeout;
        QTest::newRow(("multi-line" + suffix).constData()) << 30 << 100 << 800 << true << timeout;
    }
}

// Every result rebuilds both texts; short texts without a deadline take no shortcut, so their
// edits are as few as the texts allow.
void TestDiff::randomPairsRebuild()
{
    QFETCH(int, pairs);
    QFETCH(int, minTokens);
    QFETCH(int, maxTokens);
    QFETCH(bool, withLines);
    QFETCH(float, timeout);
    const bool minimal = timeout == 0 && maxTokens <= 40;
    TextMaker maker(20261208);
    TextDiff differ;
    differ.timeout = timeout;
    for (int i = 0; i < pairs; ++i) {
        const size_t tokens = size_t(minTokens) + maker.number(size_t(maxTokens - minTokens) + 1);
        std::u16string text1 = maker.text(tokens, !minimal, withLines);
        // Half the pairs are near copies, half unrelated texts.
        std::u16string text2 = i % 2 == 0 ? maker.mutate(text1, !minimal) : maker.text(tokens, !minimal, withLines);
        if (minimal && i == 0) {
            // A long shared middle that a half match would take at the cost of more edits.
            text1 = u"qHilloHelloHew";
            text2 = u"xHelloHeHulloy";
        }
        const std::list<Diff> diffs = differ.diff(text1, text2);
        const QString problem = checkResult(diffs, text1, text2);
        QVERIFY2(problem.isEmpty(), qPrintable(QString("pair %1: %2").arg(i).arg(problem)));
        if (minimal)
            QCOMPARE(editedUnits(diffs), text1.size() + text2.size() - 2 * longestCommonSubsequence(text1, text2));
    }
}

void TestDiff::lineCodesNeverRepeat()
{
    // More distinct lines than 16-bit codes, spread over both texts.
    std::u16string text1, text2;
    for (int i = 0; i < 50000; ++i) {
        text1 += u16(QString("first %1\n").arg(i));
        text2 += u16(QString("second %1\n").arg(i));
    }
    text2 += text1;

    const TextDiff::LineCodes coded = TextDiff::linesToCodes(text1, text2);
    QVERIFY(coded.lines.size() <= 0x10000);
    for (const std::u16string* codes : {&coded.codes1, &coded.codes2}) {
        std::u16string decoded;
        for (char16_t code : *codes) {
            QVERIFY(code != 0 && code < coded.lines.size());
            decoded += coded.lines[code];
        }
        QVERIFY(decoded == (codes == &coded.codes1 ? text1 : text2));
    }

    // The whole diff through line mode still rebuilds both texts.
    std::u16string changed = text1;
    changed.replace(changed.find(u"first 49990\n"), 6, u"changed");
    changed.insert(changed.find(u"first 100\n"), u"new line\n");
    TextDiff differ;
    differ.timeout = 0;
    const std::list<Diff> diffs = differ.diff(text1, changed);
    QCOMPARE(checkResult(diffs, text1, changed), QString());
    QVERIFY(editedUnits(diffs) < 100);
}

void TestDiff::shortDeadlineStillRebuilds()
{
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> unit(0x4E00, 0x9FA5);
    std::u16string text1, text2;
    for (int i = 0; i < 200000; ++i) {
        text1 += char16_t(unit(rng));
        text2 += char16_t(unit(rng));
    }
    TextDiff differ;
    differ.timeout = 0.001f;
    QElapsedTimer timer;
    timer.start();
    const std::list<Diff> diffs = differ.diff(text1, text2);
    // Without the deadline this takes minutes; generous for slow builds.
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(checkResult(diffs, text1, text2), QString());
}

QTEST_APPLESS_MAIN(TestDiff)
#include "tst_diff.moc"
