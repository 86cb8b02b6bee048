#include <QtTest>

#include "checkdata.h"
#include "flaggedoccurrences.h"

namespace {

using Ranges = QVector<QPair<uint, uint>>;
using Starts = QVector<int>;

std::u16string u16(const QString& s)
{
    return s.toStdU16String();
}

Starts toStarts(const std::vector<size_t>& v)
{
    Starts out;
    for (size_t s : v)
        out << int(s);
    return out;
}

} // namespace

class TestFlaggedOccurrences : public QObject
{
    Q_OBJECT
private slots:
    void marksOnlyWhatTheServiceFlagged_data();
    void marksOnlyWhatTheServiceFlagged();
};

void TestFlaggedOccurrences::marksOnlyWhatTheServiceFlagged_data()
{
    QTest::addColumn<QString>("checked");
    QTest::addColumn<QString>("words");
    QTest::addColumn<Ranges>("pos");
    QTest::addColumn<QString>("now");       // the text when the marks are placed
    QTest::addColumn<Starts>("expected");   // where marks go in it

    const QString dede = QStringLiteral("大家的的确确很努力，这是好的的书。");
    QTest::newRow("word containing the text is left alone")
        << dede << QStringLiteral("的的") << Ranges{{13, 14}} << dede << Starts{13};
    const QString comma = QStringLiteral("他来了,我走了。价格是1,000元。");
    QTest::newRow("comma of a number is left alone")
        << comma << QStringLiteral(",") << Ranges{{3, 3}} << comma << Starts{3};
    QTest::newRow("several places of one result")
        << QStringLiteral("他门来。他门走。他门") << QStringLiteral("他门") << Ranges{{0, 1}, {8, 9}}
        << QStringLiteral("他门来。他门走。他门") << Starts{0, 8};
    QTest::newRow("result in parts points into its words")
        << QStringLiteral("在其中，在其中") << QStringLiteral("在其中") << Ranges{{4, 4}, {6, 6}}
        << QStringLiteral("在其中，在其中") << Starts{4};
    QTest::newRow("no positions: every occurrence")
        << QStringLiteral("他门他门") << QStringLiteral("他门") << Ranges{} << QStringLiteral("他门他门") << Starts{0, 2};
    QTest::newRow("positions beside every occurrence: none")
        << QStringLiteral("他门，他们") << QStringLiteral("他门") << Ranges{{3, 4}} << QStringLiteral("他门，他们") << Starts{};
    QTest::newRow("counted without overlap")
        << QStringLiteral("的的的的") << QStringLiteral("的的") << Ranges{{2, 3}} << QStringLiteral("的的的的") << Starts{2};
    QTest::newRow("follows its text after an edit before it")
        << QStringLiteral("好的的书，他的的确确") << QStringLiteral("的的") << Ranges{{1, 2}}
        << QStringLiteral("这是好的的书，他的的确确") << Starts{3};
    QTest::newRow("occurrence gone after an edit")
        << QStringLiteral("他门，他门") << QStringLiteral("他门") << Ranges{{3, 4}} << QStringLiteral("他们，他门") << Starts{};
    QTest::newRow("reversed range flags nothing")
        << QStringLiteral("他门") << QStringLiteral("他门") << Ranges{{1, 0}} << QStringLiteral("他门") << Starts{};
    QTest::newRow("empty words")
        << QStringLiteral("他门") << QString() << Ranges{{0, 1}} << QStringLiteral("他门") << Starts{};
}

void TestFlaggedOccurrences::marksOnlyWhatTheServiceFlagged()
{
    QFETCH(QString, checked);
    QFETCH(QString, words);
    QFETCH(Ranges, pos);
    QFETCH(QString, now);
    QFETCH(Starts, expected);

    CheckData data;
    data.words = words.toStdString();
    for (const auto& r : pos)
        data.pos.push_back({r.first, r.second});
    const FlaggedOccurrences flagged(u16(checked), data);
    QCOMPARE(toStarts(flagged.startsIn(u16(now), u16(words))), expected);
    QCOMPARE(flagged.everyOccurrence(), pos.isEmpty());
}

QTEST_APPLESS_MAIN(TestFlaggedOccurrences)
#include "tst_flaggedoccurrences.moc"
