#include <QtTest>

#include "errormsg.h"

class TestErrorMsg : public QObject
{
    Q_OBJECT
private slots:
    void messages_data();
    void messages();
    void checkWhatNames_data();
    void checkWhatNames();
    void lists_data();
    void lists();
};

void TestErrorMsg::messages_data()
{
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<QByteArray>("json");
    auto row = [](const char* name, const QByteArray& id, const char* message, const QByteArray& written = {}) {
        QTest::newRow(name) << id
                            << R"({"error_id":")" + (written.isNull() ? id : written) + R"(","error_msg":")" + message + "\"}";
    };
    row("server busy", "server_busy", "服务器忙，请稍后再试。");
    row("old client", "old_client", "您的软件版本太老，请下载最新版本 http://www.korrelo.com/");
    row("disabled", "is_disable", "此账号已被封禁，请联系我们客服 http://www.korrelo.com/");
    row("not found", "not_found_error", "没有找到错误。");
    row("unknown id", "whatever", "");
    row("empty id", "", "");
    // Unusual ids are escaped by the writer, so the reply is still valid JSON.
    row("quote and backslash", "a\"b\\c", "", R"(a\"b\\c)");
    row("control characters", "a\nb\tc\x01", "", R"(a\nb\tc\u0001)");
    row("longer than any buffer", QByteArray(5000, 'x'), "");
}

void TestErrorMsg::messages()
{
    QFETCH(QByteArray, id);
    QFETCH(QByteArray, json);
    QCOMPARE(QByteArray::fromStdString(GetErrorMsg(id.toStdString())), json);
}

void TestErrorMsg::checkWhatNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0 << "UNKOWN";
    QTest::newRow("25") << 25 << "ERROR_FULLWIDTH_ASCII";
    QTest::newRow("61") << 61 << "DI_MING";
    QTest::newRow("7") << 7 << "";
    QTest::newRow("-1") << -1 << "";
    QTest::newRow("62") << 62 << "";
}

void TestErrorMsg::checkWhatNames()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(QString::fromStdString(GetCheckWhatString(code)), name);
}

void TestErrorMsg::lists_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("before");
    QTest::addColumn<QList<int>>("vector");
    QTest::addColumn<bool>("result");
    QTest::newRow("bad pieces skipped") << "3,,0,-2,x,21" << QList<int>{} << QList<int>{3, 21} << true;
    QTest::newRow("leading blank and sign") << " 7,+8,12ab" << QList<int>{} << QList<int>{7, 8, 12} << true;
    QTest::newRow("out of range skipped") << "99999999999,5" << QList<int>{} << QList<int>{5} << true;
    QTest::newRow("duplicates kept") << "5,5,7" << QList<int>{} << QList<int>{5, 5, 7} << true;
    QTest::newRow("empty text") << "" << QList<int>{} << QList<int>{} << false;
    QTest::newRow("appends to existing") << "0" << QList<int>{9} << QList<int>{9} << true;
    QTest::newRow("sign alone") << "+,-,+-3" << QList<int>{} << QList<int>{} << false;
}

void TestErrorMsg::lists()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, before);
    QFETCH(QList<int>, vector);
    QFETCH(bool, result);
    std::vector<int> codes(before.begin(), before.end());
    QCOMPARE(SplitCheckWhat(text.toStdString(), codes), result);
    QCOMPARE(QList<int>(codes.begin(), codes.end()), vector);

    std::set<int> ids(before.begin(), before.end());
    QCOMPARE(SplitDictIDs(text.toStdString(), ids), result);
    QCOMPARE(ids, std::set<int>(vector.begin(), vector.end()));
}

QTEST_APPLESS_MAIN(TestErrorMsg)
#include "tst_errormsg.moc"
