#include <QtTest>

#include <climits>

#include "checkdata.h"
#include "dataitem.h"
#include "dataitemvalue.h"

namespace {

using Ranges = QVector<QPair<uint, uint>>;

std::vector<_CHECK_DATA_POS_> toPos(const Ranges& ranges)
{
    std::vector<_CHECK_DATA_POS_> out;
    for (const auto& r : ranges)
        out.push_back({r.first, r.second});
    return out;
}

// "text:count" of each value, joined with ";", for comparing whole lists at once.
QString describe(const DataItem& item)
{
    QStringList parts;
    for (const DataItemValue* v : item.values)
        parts << (v ? QString::fromUtf8(v->value ? v->value : "(null)") + ":" + QString::number(v->GetCount()) : "null");
    return parts.join(';');
}

DataItem makeItem(const char* key, std::initializer_list<std::pair<const char*, double>> values)
{
    DataItem item;
    item.setKey(key);
    for (const auto& [text, frequency] : values)
        item.addValue(text, frequency);
    return item;
}

} // namespace

class TestCheckData : public QObject
{
    Q_OBJECT
private slots:
    void errorLevelStaysInRange_data();
    void errorLevelStaysInRange();
    void rangeClassification_data();
    void rangeClassification();
    void frequencyTexts_data();
    void frequencyTexts();
    void readLine_data();
    void readLine();
    void lineWritten();
    void copiesAreDeep();
    void copyValuesAddsMissingOnce_data();
    void copyValuesAddsMissingOnce();
    void nullEntriesAreSafe();
    void diffPositions_data();
    void diffPositions();
};

void TestCheckData::errorLevelStaysInRange_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("expected");
    QTest::newRow("far up") << 2 << 7 << 4;
    QTest::newRow("one up") << 2 << 1 << 3;
    QTest::newRow("largest delta") << 4 << INT_MAX << 4;
    QTest::newRow("smallest delta") << 0 << INT_MIN << 0;
}

void TestCheckData::errorLevelStaysInRange()
{
    QFETCH(int, start);
    QFETCH(int, delta);
    QFETCH(int, expected);
    CheckData data;
    data.errorLevel = start;
    data.changeErrorLevel(delta);
    QCOMPARE(data.errorLevel, expected);
}

void TestCheckData::rangeClassification_data()
{
    QTest::addColumn<Ranges>("own");
    QTest::addColumn<Ranges>("given");
    QTest::addColumn<int>("expected");
    QTest::addColumn<uint>("min");
    QTest::addColumn<uint>("max");
    QTest::newRow("same") << Ranges{{5, 8}} << Ranges{{5, 8}} << int(RANGE_SAME) << 5u << 8u;
    QTest::newRow("inside") << Ranges{{6, 7}} << Ranges{{5, 8}} << int(RANGE_INSIDE) << 6u << 7u;
    QTest::newRow("contains") << Ranges{{5, 9}} << Ranges{{6, 7}} << int(RANGE_CONTAINS) << 5u << 9u;
    QTest::newRow("apart") << Ranges{{1, 2}} << Ranges{{4, 6}} << int(RANGE_NONE) << 1u << 2u;
    QTest::newRow("touching ends overlap") << Ranges{{4, 6}} << Ranges{{6, 9}} << int(RANGE_OVERLAP) << 4u << 6u;
    QTest::newRow("mixture apart and same") << Ranges{{6, 7}, {1, 2}} << Ranges{{6, 7}} << int(RANGE_OVERLAP) << 1u << 7u;
    QTest::newRow("all inside two") << Ranges{{1, 2}, {20, 7}} << Ranges{{0, 20}} << int(RANGE_INSIDE) << 1u << 20u;
    QTest::newRow("no own ranges") << Ranges{} << Ranges{{1, 2}} << int(RANGE_NONE) << 0xFFFFFFFFu << 0xFFFFFFFFu;
}

void TestCheckData::rangeClassification()
{
    QFETCH(Ranges, own);
    QFETCH(Ranges, given);
    QFETCH(int, expected);
    QFETCH(uint, min);
    QFETCH(uint, max);
    CheckData data;
    data.pos = toPos(own);
    QCOMPARE(int(data.isInRange(toPos(given))), expected);
    QCOMPARE(data.getPosMin(), min);
    QCOMPARE(data.getPosMax(), max);
}

void TestCheckData::frequencyTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("frequency");
    QTest::newRow("count and frequency") << "5.3" << 5 << 3.0;
    QTest::newRow("not a number") << "x" << 0 << 0.0;
    QTest::newRow("empty") << "" << 0 << 0.0;
    QTest::newRow("nan") << "nan" << 0 << 0.0;
    QTest::newRow("infinity") << "inf" << 0 << 0.0;
    QTest::newRow("out of range") << "1e999" << 0 << 0.0;
    QTest::newRow("huge count is clamped") << "1e300" << INT_MAX << 0.0;
    QTest::newRow("negative has no frequency") << "-2.5" << -2 << 0.0;
}

void TestCheckData::frequencyTexts()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QFETCH(double, frequency);
    const DataItemValue v("a", text.toStdString());
    QCOMPARE(v.GetCount(), count);
    QVERIFY(qAbs(v.getFrequency() - frequency) < 1e-6);
    QCOMPARE(QString::fromUtf8(v.value), QString("a"));
}

void TestCheckData::readLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("options");   // k: star in key, l: star in list, f: frequencies first
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("values");
    QTest::newRow("duplicate skipped") << QByteArray("k,a;b;a,3;2;1\n") << "" << "k" << "a:3;b:2";
    QTest::newRow("sorted by count") << QByteArray("k,a;b,1;4") << "" << "k" << "b:4;a:1";
    QTest::newRow("frequencies first") << QByteArray("k,3;2,a;b") << "f" << "k" << "a:3;b:2";
    QTest::newRow("texts only keep order") << QByteArray(" k ,b; a") << "" << "k" << "b:0;a:0";
    QTest::newRow("frequencies only") << QByteArray("k,5;6") << "f" << "k" << ":6;:5";
    QTest::newRow("more frequencies than texts") << QByteArray("k,a,1;2") << "" << "k" << "a:1";
    QTest::newRow("CR ends the line") << QByteArray("k,a;b\r,1;2") << "" << "k" << "a:0;b:0";
    QTest::newRow("no separator keeps key") << QByteArray("abc") << "" << "old" << "";
    QTest::newRow("star between blanks") << QByteArray("a * b,x") << "k" << "a b" << "x:0";
    QTest::newRow("star at start") << QByteArray("*ab,x") << "k" << "ab" << "x:0";
    QTest::newRow("star dropped from list") << QByteArray("k,a*b;c*") << "l" << "k" << "ab:0;c:0";
}

void TestCheckData::readLine()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, options);
    QFETCH(QString, key);
    QFETCH(QString, values);
    DataItem item;
    item.setKey("old");
    item.setString(line.constData(), options.contains('k'), options.contains('l'), options.contains('f'));
    QCOMPARE(QString::fromUtf8(item.key), key);
    QCOMPARE(describe(item), values);
}

void TestCheckData::lineWritten()
{
    QCOMPARE(makeItem("k", {{"a", 3}, {"b", 2}}).toU8String(), std::string("k,a;b,3.0000000000;2.0000000000\n"));
    QCOMPARE(DataItem().toU8String(), std::string(",,\n"));   // null key reads as empty text
}

void TestCheckData::copiesAreDeep()
{
    DataItem original = makeItem("k", {{"a", 3}});
    {
        DataItem copy(original);
        DataItem assigned = makeItem("", {{"old", 1}});
        assigned = original;
        assigned = *&assigned;   // self-assignment keeps the contents
        QCOMPARE(describe(assigned), QString("a:3"));
        QVERIFY(copy.key != original.key);
        QVERIFY(copy.values[0] != original.values[0]);
        QVERIFY(copy.values[0]->value != original.values[0]->value);
        copy.values[0]->setValue("changed");
    }
    QCOMPARE(describe(original), QString("a:3"));

    DataItemValue v("x", 5.0);
    DataItemValue w(v);
    w = *&w;
    v = w;
    QCOMPARE(QString::fromUtf8(v.value), QString("x"));
    DataItemValue fromPointer(&v);
    QVERIFY(fromPointer.value != v.value);
    QCOMPARE(fromPointer.GetCount(), 5);
    QCOMPARE(QString::fromStdString(fromPointer.getFrequencyCountString()), QString("5.0000000000"));
}

// Values as "text:frequency", "~:frequency" standing for a value whose text is null.
DataItem itemOf(const QStringList& values)
{
    DataItem item;
    for (const QString& v : values) {
        item.addValue(v.section(':', 0, 0).toStdString(), v.section(':', 1).toDouble());
        if (v.startsWith('~'))
            item.values.back()->setValue(static_cast<const char*>(nullptr));
    }
    return item;
}

void TestCheckData::copyValuesAddsMissingOnce_data()
{
    QTest::addColumn<QStringList>("target");
    QTest::addColumn<QStringList>("source");
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing added once, sorted") << QStringList{"c:3"} << QStringList{"a:1", "b:5", "a:2", "c:9"}
                                                << "b:5;c:3;a:1";
    QTest::newRow("null texts are one value") << QStringList{} << QStringList{"x:1", "~:2", "~:3"} << "(null):2;x:1";
    QTest::newRow("null matches empty text") << QStringList{":4"} << QStringList{"~:2", "y:1"} << ":4;y:1";
    QTest::newRow("empty matches null text") << QStringList{"~:4"} << QStringList{":2"} << "(null):4";
}

void TestCheckData::copyValuesAddsMissingOnce()
{
    QFETCH(QStringList, target);
    QFETCH(QStringList, source);
    QFETCH(QString, expected);
    DataItem into = itemOf(target);
    DataItem from = itemOf(source);
    into.copyValues(&from);
    QCOMPARE(describe(into), expected);
    into.copyValues(&into);
    into.copyValues(nullptr);
    QCOMPARE(describe(into), expected);
}

void TestCheckData::nullEntriesAreSafe()
{
    DataItem item;
    item.values.push_back(nullptr);
    item.addValue("b", 1);
    item.values.push_back(new DataItemValue("", 2.0));
    item.values.back()->setValue(static_cast<const char*>(nullptr));
    item.sortVaules();
    QCOMPARE(describe(item), QString("(null):2;b:1;null"));
    QCOMPARE(item.valueToU8String(), std::string(";b;"));
    QVERIFY(item.hasValue("b"));
    QVERIFY(item.hasValue(""));   // a null text reads as empty
    QVERIFY(!item.hasValue("c"));
    std::vector<std::string> texts;
    item.getValues(texts);
    QCOMPARE(texts, (std::vector<std::string>{"", "b", ""}));
    DataItem copy(item);
    QCOMPARE(describe(copy), describe(item));
}

void TestCheckData::diffPositions_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("suggestion");   // a null string: no suggestions at all
    QTest::addColumn<Ranges>("pos");
    QTest::addColumn<QStringList>("expected");   // "begin-end:text" of each changed run
    QTest::newRow("changed last character") << QString::fromUtf8("他门") << QString::fromUtf8("他们") << Ranges{{10, 11}}
                                            << QStringList{QString::fromUtf8("11-11:门")};
    QTest::newRow("supplementary before change counts two units")
        << QString::fromUtf8("\xF0\xA0\x80\x80门") << QString::fromUtf8("\xF0\xA0\x80\x80们") << Ranges{{5, 7}}
        << QStringList{QString::fromUtf8("7-7:门")};
    QTest::newRow("two deleted runs") << "abcd" << "xbcy" << Ranges{{0, 3}} << QStringList{"0-0:a", "3-3:d"};
    QTest::newRow("insertion moves nothing") << "ac" << "abc" << Ranges{{4, 5}} << QStringList{};
    QTest::newRow("no suggestions") << "ab" << QString() << Ranges{{0, 1}} << QStringList{};
    QTest::newRow("no position") << "ab" << "b" << Ranges{} << QStringList{};
    QTest::newRow("end of address range") << "ab" << "" << Ranges{{0xFFFFFFFEu, 0xFFFFFFFFu}}
                                          << QStringList{"4294967294-4294967295:ab"};
    QTest::newRow("past end of address range") << "ab" << "" << Ranges{{0xFFFFFFFFu, 0xFFFFFFFFu}} << QStringList{};
}

void TestCheckData::diffPositions()
{
    QFETCH(QString, words);
    QFETCH(QString, suggestion);
    QFETCH(Ranges, pos);
    QFETCH(QStringList, expected);
    CheckData data;
    data.words = words.toStdString();
    data.pos = toPos(pos);
    if (!suggestion.isNull()) {
        data.dataItem = std::make_shared<DataItem>();
        data.dataItem->addValue(suggestion.toStdString(), 1);
    }
    data.getDiffStr();   // computes the ranges too
    QCOMPARE(data.diffStr.size(), data.diffPos.size());
    QStringList actual;
    for (std::size_t i = 0; i < data.diffPos.size(); ++i) {
        const _CHECK_DATA_POS_& p = data.diffPos[i];
        actual << QString("%1-%2:%3").arg(p.begin).arg(p.end).arg(QString::fromStdString(data.diffStr[i]));
    }
    QCOMPARE(actual, expected);
    // Asking again neither recomputes nor appends.
    QCOMPARE(data.getDiffPos().size(), std::size_t(expected.size()));
}

QTEST_APPLESS_MAIN(TestCheckData)
#include "tst_checkdata.moc"
