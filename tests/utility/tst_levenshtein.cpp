#include <QtTest>

#include <climits>

#include "levenshtein.h"

namespace {

enum Variant { Bytes, Utf8, Utf8String, Wide, Elements };

// Weights in the order swap, substitution, insertion, deletion for every variant; a null text is
// passed as a null pointer.
int measure(Variant variant, const QString& a, const QString& b, const QVector<int>& w)
{
    const QByteArray a8 = a.toUtf8();
    const QByteArray b8 = b.toUtf8();
    const char* pa = a.isNull() ? nullptr : a8.constData();
    const char* pb = b.isNull() ? nullptr : b8.constData();
    const std::u16string a16 = a.toStdU16String();
    const std::u16string b16 = b.toStdU16String();
    auto elements = [](const QString& text) {
        std::vector<std::string> out;
        for (uint c : text.toUcs4())
            out.push_back(QString::fromUcs4(&c, 1).toStdString());
        return out;
    };
    switch (variant) {
    case Bytes: return Levenshtein(pa, pb, w[0], w[1], w[2], w[3]);
    case Utf8: return U8Levenshtein(pa, pb, w[0], w[1], w[2], w[3]);
    case Utf8String: return U8SLevenshtein(a8.toStdString(), b8.toStdString(), w[0], w[1], w[2], w[3]);
    case Wide:
        return LevenshteinW(a.isNull() ? nullptr : a16.c_str(), b.isNull() ? nullptr : b16.c_str(), w[0], w[1], w[2], w[3]);
    case Elements: {
        // This one takes insertion, deletion, substitution, swap.
        std::vector<std::string> ea = elements(a);
        std::vector<std::string> eb = elements(b);
        return U8VLevenshtein(ea, eb, w[2], w[3], w[1], w[0]);
    }
    }
    return -1;
}

} // namespace

class TestLevenshtein : public QObject
{
    Q_OBJECT

private slots:
    void distance_data();
    void distance();
    void largeWeightsDoNotOverflow();
};

void TestLevenshtein::distance_data()
{
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QVector<int>>("weights");
    QTest::addColumn<int>("expected");
    const QVector<int> ones{1, 1, 1, 1};
    const std::pair<const char*, int> all[] = {
        {"bytes", Bytes}, {"utf8", Utf8}, {"utf8 string", Utf8String}, {"wide", Wide}, {"elements", Elements}};
    for (const auto& [name, variant] : all) {
        auto row = [&](const char* label) -> QTestData& { return QTest::newRow(qPrintable(QString("%1: %2").arg(name, label))); };
        row("equal") << variant << "abc" << "abc" << ones << 0;
        row("one swap") << variant << "abc" << "acb" << ones << 1;
        row("dear swap, two substitutions") << variant << "abc" << "acb" << QVector<int>{5, 1, 1, 1} << 2;
        row("insertions into null") << variant << QString() << "ab" << QVector<int>{1, 1, 3, 1} << 6;
        row("deletions to empty") << variant << "ab" << "" << QVector<int>{1, 1, 1, 2} << 4;
        row("cheap insert and delete over substitution") << variant << "ab" << "ac" << QVector<int>{1, 9, 2, 3} << 5;
        row("both null") << variant << QString() << QString() << ones << 0;
    }
    // The variants differ in what one unit is.
    QTest::newRow("bytes: Chinese counts bytes") << int(Bytes) << "中文" << "中午" << ones << 3;
    QTest::newRow("utf8: Chinese counts characters") << int(Utf8) << "中文" << "中午" << ones << 1;
    QTest::newRow("utf8 string: Chinese counts characters") << int(Utf8String) << "中文" << "中午" << ones << 1;
    QTest::newRow("wide: Chinese counts units") << int(Wide) << "中文" << "中午" << ones << 1;
    QTest::newRow("wide: null second") << int(Wide) << "ab" << QString() << QVector<int>{1, 1, 1, 2} << 4;
    QTest::newRow("utf8: emoji moved is one swap")
        << int(Utf8) << QString::fromUtf8("a😀") << QString::fromUtf8("😀a") << ones << 1;
    QTest::newRow("wide: emoji moved spans two units")
        << int(Wide) << QString::fromUtf8("a😀") << QString::fromUtf8("😀a") << ones << 2;
}

void TestLevenshtein::distance()
{
    QFETCH(int, variant);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QVector<int>, weights);
    QFETCH(int, expected);
    QCOMPARE(measure(Variant(variant), a, b, weights), expected);
}

void TestLevenshtein::largeWeightsDoNotOverflow()
{
    const std::string many(1000, 'a');
    QCOMPARE(Levenshtein(many.c_str(), "", 1, 1, 1, INT_MAX), INT_MAX);
    QCOMPARE(Levenshtein("", many.c_str(), 1, 1, INT_MAX / 2, 1), INT_MAX);
}

QTEST_APPLESS_MAIN(TestLevenshtein)
#include "tst_levenshtein.moc"
