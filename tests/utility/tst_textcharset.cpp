#include <QTest>
#include <QTextCodec>

#include "textcharset.h"

class TestTextCharset : public QObject
{
    Q_OBJECT
private slots:
    void ordinaryChinese_data();
    void ordinaryChinese();
};

void TestTextCharset::ordinaryChinese_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ordinary");

    QTest::newRow("one common hanzi, repeated, then ASCII")
        << QByteArray("GB18030") << QStringLiteral("鼎鼎鼎鼎鼎") + QString(29, QLatin1Char('k')) << true;
    QTest::newRow("a short line with full-width punctuation") << QByteArray("GB18030")
                                                              << QStringLiteral("散步鼎今天。咖啡file") << true;
    QTest::newRow("two characters") << QByteArray("GB18030") << QStringLiteral("你好") << true;
    QTest::newRow("no double-byte character") << QByteArray("GB18030") << QStringLiteral("plain ascii") << true;
    QTest::newRow("prose with a rare hanzi and a character beyond the table")
        << QByteArray("GB18030") << QStringLiteral("这本书很好看，我已经看了三遍了。明天我们去公园散步吧。\U00020BB7€")
        << true;
    QTest::newRow("Chinese words between English ones") << QByteArray("GB18030")
                                                        << QStringLiteral("Qt 的 API 很好用") << true;
    QTest::newRow("Big5") << QByteArray("Big5") << QStringLiteral("我們今天去公園散步，天氣很好。") << false;
    QTest::newRow("Korean") << QByteArray("EUC-KR") << QStringLiteral("오늘은 날씨가 좋습니다. 우리는 공원에 갑니다.")
                            << false;
    QTest::newRow("Japanese in Shift-JIS") << QByteArray("Shift-JIS")
                                           << QStringLiteral("今日はいい天気です。公園に行きましょう。") << false;
    QTest::newRow("Japanese in EUC-JP") << QByteArray("EUC-JP")
                                        << QStringLiteral("今日はいい天気です。公園に行きましょう。") << false;
    QTest::newRow("hanzi set apart by spaces") << QByteArray("GB18030") << QStringLiteral("我 们 去 公 园") << false;
    QTest::newRow("a pair cut at the end") << QByteArray() << QString() << false;
}

void TestTextCharset::ordinaryChinese()
{
    QFETCH(QByteArray, codec);
    QFETCH(QString, text);
    QFETCH(bool, ordinary);
    const QByteArray bytes = codec.isEmpty() ? QByteArray("\xC4", 1) : QTextCodec::codecForName(codec)->fromUnicode(text);
    QCOMPARE(ReadsAsOrdinaryChinese(bytes.constData(), std::size_t(bytes.size())), ordinary);
}

QTEST_MAIN(TestTextCharset)
#include "tst_textcharset.moc"
