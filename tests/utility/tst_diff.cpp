#include <QElapsedTimer>
#include <QStringList>
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
    if (text.isEmpty())
        return diffs;
    for (const QString& run : text.split('|')) {
        const DiffOp op = run.startsWith('=') ? DIFF_EQUAL : run.startsWith('-') ? DIFF_DELETE : DIFF_INSERT;
        diffs.emplace_back(op, run.mid(1).toStdU16String());
    }
    return diffs;
}

std::u16string u16(const QString& text)
{
    return text.toStdU16String();
}

bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Empty when the result rebuilds both texts, has no empty run and cuts no surrogate pair.
QString checkResult(const std::list<Diff>& diffs, const std::u16string& text1, const std::u16string& text2)
{
    std::u16string rebuilt1;
    std::u16string rebuilt2;
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
    if (rebuilt1 != text1)
        return QStringLiteral("first text not rebuilt");
    if (rebuilt2 != text2)
        return QStringLiteral("second text not rebuilt");
    return QString();
}

size_t editedUnits(const std::list<Diff>& diffs)
{
    size_t units = 0;
    for (const Diff& d : diffs) {
        if (d.operation != DIFF_EQUAL)
            units += d.text.size();
    }
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
        static const std::vector<std::u16string> plain = {u"a", u"b", u"c", u" ", u"中", u"文", u"。"};
        static const std::vector<std::u16string> wide = {u"\U0001F600", u"\U0001F601", u"\U00010600"};
        std::u16string result;
        for (size_t i = 0; i < tokens; ++i) {
            const size_t pick = number(withSurrogates ? plain.size() + wide.size() : plain.size());
            result += pick < plain.size() ? plain[pick] : wide[pick - plain.size()];
            if (withLines && number(8) == 0)
                result += u'\n';
        }
        return result;
    }

    // A copy of `text` with a few token-sized edits, so most of it is shared.
    std::u16string mutate(const std::u16string& original, bool withSurrogates)
    {
        std::u16string result = original;
        const size_t edits = 1 + number(5);
        for (size_t i = 0; i < edits; ++i) {
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
    void mergeCleanup_data();
    void mergeCleanup();
    void semanticAndLosslessCleanup_data();
    void semanticAndLosslessCleanup();
    void surrogateCleanup_data();
    void surrogateCleanup();
    void boundaryScore_data();
    void boundaryScore();
    void commonOverlapLength_data();
    void commonOverlapLength();
    void randomPairsRebuild_data();
    void randomPairsRebuild();
    void minimalWithoutDeadline();
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

void TestDiff::mergeCleanup_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("nothing to merge") << "=a|-b|+c" << "=a|-b|+c";
    QTest::newRow("equalities joined") << "=a|=b|=c" << "=abc";
    QTest::newRow("edits interleaved") << "=a|-b|+c|-d|+e|=f" << "=a|-bd|+ce|=f";
    QTest::newRow("common prefix and suffix out") << "-a|+abc|-dc" << "=a|-d|+b|=c";
    QTest::newRow("common prefix after an equality") << "=x|-a|+abc|-dc|=y" << "=xa|-d|+b|=cy";
    QTest::newRow("shift left over an equality") << "=a|+ba|=c" << "+ab|=ac";
    QTest::newRow("shift right over an equality") << "=c|+ab|=a" << "=ca|+ba";
    QTest::newRow("shifts repeat") << "=a|-b|=c|-ac|=x" << "-abc|=acx";
    QTest::newRow("empty runs dropped") << "=a|-|=b|+" << "=ab";
    QTest::newRow("edits that cancel") << "=x|-a|+a|=y" << "=xay";
}

void TestDiff::mergeCleanup()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    std::list<Diff> diffs = parse(input);
    TextDiff::mergeCleanup(diffs);
    QCOMPARE(format(diffs), expected);
}

void TestDiff::semanticAndLosslessCleanup_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("short equality between edits") << "-a|=b|-c" << "-abc|+b";
    QTest::newRow("longer equality kept") << "-ab|=cd|-e" << "-ab|=cd|-e";
    QTest::newRow("overlap of deletion into insertion") << "-abcxxx|+xxxdef" << "-abc|=xxx|+def";
    QTest::newRow("overlap of insertion into deletion") << "-xxxabc|+defxxx" << "+def|=xxx|-abc";
    QTest::newRow("small overlap ignored") << "-abcdefgh|+xyzwvuabc" << "-abcdefgh|+xyzwvuabc";
    QTest::newRow("edit moved to a word boundary") << "=The c|+at c|=ame." << "=The |+cat |=came.";
    QTest::newRow("edit moved to blank lines")
        << "=AAA\r\n\r\nBBB|+ DDD\r\n\r\nBBB|= EEE" << "=AAA\r\n\r\n|+BBB DDD\r\n\r\n|=BBB EEE";
    QTest::newRow("equality emptied by the move") << "=a|+ba|=c" << "+ab|=ac";
}

void TestDiff::semanticAndLosslessCleanup()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    std::list<Diff> diffs = parse(input);
    TextDiff::semanticCleanup(diffs);
    QCOMPARE(format(diffs), expected);
}

void TestDiff::surrogateCleanup_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    const QChar high(0xD83D);
    const QChar low0(0xDE00);
    const QChar low1(0xDE01);
    QTest::newRow("shared high half")
        << QString("=a%1|-%2|+%3|=b").arg(high, low0, low1)
        << QString("=a|-%1%2|+%1%3|=b").arg(high, low0, low1);
    QTest::newRow("shared low half")
        << QString("-%1|+%2|=%3x").arg(QChar(0xD801), high, low0)
        << QString("-%1%3|+%2%3|=x").arg(QChar(0xD801), high, low0);
    QTest::newRow("equality of one half only")
        << QString("=%1|+%2x").arg(high, low0) << QString("-%1|+%1%2x").arg(high, low0);
    QTest::newRow("lone halves left alone")
        << QString("=a%1|-b|=c%2").arg(high, low0) << QString("=a%1|-b|=c%2").arg(high, low0);
    QTest::newRow("no surrogates") << "=a|-b|+c|=d" << "=a|-b|+c|=d";
}

void TestDiff::surrogateCleanup()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    std::list<Diff> diffs = parse(input);
    TextDiff::surrogateCleanup(diffs);
    QCOMPARE(format(diffs), expected);
}

void TestDiff::boundaryScore_data()
{
    QTest::addColumn<QString>("one");
    QTest::addColumn<QString>("two");
    QTest::addColumn<int>("score");
    QTest::newRow("edge of the text") << "" << "b" << 6;
    QTest::newRow("blank line before") << "a\n\n" << "b" << 5;
    QTest::newRow("blank line after, CR LF") << "a" << "\r\n\r\nb" << 5;
    QTest::newRow("line break") << "a\n" << "b" << 4;
    QTest::newRow("end of sentence") << "a." << " b" << 3;
    QTest::newRow("white space") << "a" << " b" << 2;
    QTest::newRow("ideographic space") << "a" << QString(QChar(0x3000)) + "b" << 2;
    QTest::newRow("punctuation") << "a" << ".b" << 1;
    QTest::newRow("inside a word") << "a" << "b" << 0;
    QTest::newRow("inside Chinese text") << "中" << "文" << 0;
}

void TestDiff::boundaryScore()
{
    QFETCH(QString, one);
    QFETCH(QString, two);
    QFETCH(int, score);
    QCOMPARE(TextDiff::boundaryScore(u16(one), u16(two)), score);
}

void TestDiff::commonOverlapLength_data()
{
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<int>("overlap");
    QTest::newRow("overlap") << "abcxxx" << "xxxdef" << 3;
    QTest::newRow("second empty") << "abc" << "" << 0;
    QTest::newRow("whole first") << "abc" << "abcd" << 3;
    QTest::newRow("whole second") << "xabc" << "abc" << 3;
    QTest::newRow("none") << "abc" << "xyz" << 0;
    QTest::newRow("longest wins") << "xaxa" << "axay" << 3;
    QTest::newRow("no normalisation") << "fi" << QString(QChar(0xFB01)) + "i" << 0;
}

void TestDiff::commonOverlapLength()
{
    QFETCH(QString, text1);
    QFETCH(QString, text2);
    QFETCH(int, overlap);
    QCOMPARE(int(TextDiff::commonOverlapLength(u16(text1), u16(text2))), overlap);
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
        QTest::newRow(("short" + suffix).constData()) << 400 << 0 << 12 << false << timeout;
        QTest::newRow(("long" + suffix).constData()) << 12 << 500 << 2000 << false << timeout;
        QTest::newRow(("multi-line" + suffix).constData()) << 30 << 100 << 800 << true << timeout;
    }
}

void TestDiff::randomPairsRebuild()
{
    QFETCH(int, pairs);
    QFETCH(int, minTokens);
    QFETCH(int, maxTokens);
    QFETCH(bool, withLines);
    QFETCH(float, timeout);
    TextMaker maker(20261208);
    TextDiff differ;
    differ.timeout = timeout;
    for (int i = 0; i < pairs; ++i) {
        const size_t tokens = size_t(minTokens) + maker.number(size_t(maxTokens - minTokens) + 1);
        const std::u16string text1 = maker.text(tokens, true, withLines);
        // Half the pairs are near copies, half unrelated texts.
        const std::u16string text2 = i % 2 == 0 ? maker.mutate(text1, true) : maker.text(tokens, true, withLines);
        const QString problem = checkResult(differ.diff(text1, text2), text1, text2);
        QVERIFY2(problem.isEmpty(), qPrintable(QString("pair %1: %2").arg(i).arg(problem)));
    }
}

// Short texts take no shortcut without a deadline, so the edits are as few as the texts allow.
void TestDiff::minimalWithoutDeadline()
{
    TextMaker maker(7);
    TextDiff differ;
    differ.timeout = 0;
    for (int i = 0; i < 300; ++i) {
        // The first pair has a long shared middle that a half match would take at the cost of more edits.
        const std::u16string text1 = i == 0 ? u"qHilloHelloHew" : maker.text(maker.number(40), false, false);
        const std::u16string text2 = i == 0 ? u"xHelloHeHulloy"
            : i % 2 == 0                    ? maker.mutate(text1, false)
                                            : maker.text(maker.number(40), false, false);
        const std::list<Diff> diffs = differ.diff(text1, text2);
        QVERIFY(checkResult(diffs, text1, text2).isEmpty());
        const size_t minimal = text1.size() + text2.size() - 2 * longestCommonSubsequence(text1, text2);
        QCOMPARE(editedUnits(diffs), minimal);
    }
}

void TestDiff::lineCodesNeverRepeat()
{
    // More distinct lines than 16-bit codes, spread over both texts.
    std::u16string text1;
    std::u16string text2;
    for (int i = 0; i < 50000; ++i)
        text1 += u16(QString("first %1\n").arg(i));
    for (int i = 0; i < 50000; ++i)
        text2 += u16(QString("second %1\n").arg(i));
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
    std::u16string text1;
    std::u16string text2;
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
