#include "servicefixture.h"

#include <QJsonArray>
#include <QtTest>

using Fields = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Fields)

// Findings as one line each: words@begin-end/type/level>suggestion (no suggestion: nothing after
// the level).
static QStringList describe(const QJsonObject& reply)
{
    QStringList out;
    for (const QJsonValue& v : reply.value("check_data").toArray()) {
        const QJsonObject item = v.toObject();
        const QJsonObject pos = item.value("pos").toArray().first().toObject();
        QString line = QString("%1@%2-%3/%4/%5")
                           .arg(item.value("words").toString())
                           .arg(pos.value("index_begin").toInt())
                           .arg(pos.value("index_end").toInt())
                           .arg(item.value("error_type").toArray().first().toInt())
                           .arg(item.value("error_level").toInt());
        const QJsonArray values = item.value("data_item").toObject().value("values").toArray();
        if (!values.isEmpty())
            line += ">" + values.first().toObject().value("value").toString();
        out << line;
    }
    return out;
}

static QStringList words(const QJsonObject& reply)
{
    QStringList out;
    for (const QJsonValue& v : reply.value("check_data").toArray())
        out << v.toObject().value("words").toString();
    return out;
}

class TestChecker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void findings_data();
    void findings();
    void clientChoicesNarrowTheFindings_data();
    void clientChoicesNarrowTheFindings();
    void vipOnlyFindingsAreWithheld_data();
    void vipOnlyFindingsAreWithheld();
    void addedWordsAreNoLongerFlagged();
    void garbledTextIsCheckedSafely();

private:
    std::unique_ptr<ServiceFixture> service;
    QString vipToken;
};

void TestChecker::initTestCase()
{
    service = std::make_unique<ServiceFixture>();
    QVERIFY(service->started);
    vipToken = service->login("vip", "vip");
    QVERIFY(!vipToken.isEmpty());
}

void TestChecker::findings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    const QString sup = QString::fromUcs4(U"\U00020000");   // a Han character outside the BMP

    QTest::newRow("table entry") << "他门来了" << QStringList{"他门@0-1/1/4>他们"};
    QTest::newRow("after a supplementary character") << sup + "他门" << QStringList{"他门@2-3/1/4>他们"};
    QTest::newRow("two in a row, no overlap") << "以经他门" << QStringList{"以经@0-1/1/4>已经", "他门@2-3/1/4>他们"};
    QTest::newRow("longest entry wins") << "身分证" << QStringList{"身分证@0-2/5/2>身份证"};
    QTest::newRow("shape and sound types") << "自已已后因该" << QStringList{"自已@0-1/5/4>自己", "已后@2-3/2/4>以后",
                                                                         "因该@4-5/3/4>应该"};
    QTest::newRow("idiom") << "再接再励" << QStringList{"再接再励@0-3/5/4>再接再厉"};
    QTest::newRow("correct text") << "他们已经来了。" << QStringList{};
    QTest::newRow("repeated 的") << "我的的书" << QStringList{"的的@1-2/22/3>的"};
    QTest::newRow("run of three is one finding") << "的的的" << QStringList{"的的的@0-2/22/3>的"};
    QTest::newRow("的的确确 is correct") << "他的的确确来了" << QStringList{};
    QTest::newRow("不了了之 is correct") << "不了了之" << QStringList{};
    QTest::newRow("doubled comma") << "好，，好" << QStringList{"，，@1-2/22/3>，"};
    QTest::newRow("unclosed title mark") << "《书名" << QStringList{"《@0-0/41/3"};
    QTest::newRow("pairs nest") << "“引（文）”《书》【注】" << QStringList{};
    QTest::newRow("crossed pairs") << "（《书名）" << QStringList{"《@1-1/41/3"};
    QTest::newRow("quotes the wrong way round") << "”反了“" << QStringList{"”@0-0/41/3", "“@3-3/41/3"};
    QTest::newRow("half-width comma") << "他说,好" << QStringList{",@2-2/42/3>，"};
    QTest::newRow("dots become an ellipsis") << "等一下..." << QStringList{"...@3-5/42/3>……"};
    QTest::newRow("decimal point") << "版本3.5很好" << QStringList{};
    QTest::newRow("brackets after Latin") << "用Qt(框架)" << QStringList{")@6-6/42/3>）"};
    QTest::newRow("English text") << "hello, world (fine)!" << QStringList{};
    QTest::newRow("after supplementary characters") << sup + sup + ",好" << QStringList{",@4-4/42/3>，"};
}

void TestChecker::findings()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    const QJsonObject reply = service->check(vipToken, text).json();
    QCOMPARE(describe(reply), expected);
    if (expected.isEmpty()) {
        QVERIFY(!reply.contains("check_data"));   // never an empty array
        QCOMPARE(reply.value("error_id").toString(), QString("not_found_error"));
        QCOMPARE(reply.value("error_msg").toString(), QString("没有找到错误。"));
    } else {
        QVERIFY(!reply.contains("error_id"));
    }
    QCOMPARE(reply.value("vip_error_count").toInt(), 0);
}

void TestChecker::clientChoicesNarrowTheFindings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Fields>("choices");
    QTest::addColumn<QStringList>("words");
    const QString text = "他门已后作客的的《";
    QTest::newRow("the client's defaults")
        << text << Fields{{"check", "5,1,22,23,41,42"}, {"dict_id", "101"}, {"min_error_level", "3"}}
        << QStringList{"他门", "的的", "《"};
    QTest::newRow("similar shape only") << text << Fields{{"check", "2"}} << QStringList{"已后"};
    QTest::newRow("every type switched off") << text << Fields{{"check", ""}} << QStringList{};
    QTest::newRow("level 4 and up") << text << Fields{{"min_error_level", "4"}} << QStringList{"他门", "已后"};
    QTest::newRow("no dictionary") << text << Fields{{"dict_id", ""}} << QStringList{"的的", "《"};
    QTest::newRow("official papers off") << "签定合同" << Fields{{"dict_id", "101"}} << QStringList{};
    QTest::newRow("official papers on") << "签定合同" << Fields{{"dict_id", "101,102"}} << QStringList{"签定合同"};
    QTest::newRow("junk in the lists") << "他门" << Fields{{"check", "x,,-1,1"}} << QStringList{"他门"};
}

void TestChecker::clientChoicesNarrowTheFindings()
{
    QFETCH(QString, text);
    QFETCH(Fields, choices);
    QFETCH(QStringList, words);
    QCOMPARE(::words(service->check(vipToken, text, choices).json()), words);
}

void TestChecker::vipOnlyFindingsAreWithheld_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("withheld");
    QTest::addColumn<QString>("errorId");
    QTest::newRow("VIP sees all") << "vip" << "他门再接再励" << QStringList{"他门", "再接再励"} << 0 << "";
    QTest::newRow("others: one withheld") << "demo" << "他门再接再励" << QStringList{"他门"} << 1 << "vip_error_count";
    QTest::newRow("others: all withheld") << "demo" << "迫不急待一股作气" << QStringList{} << 2 << "vip_error_count";
    QTest::newRow("others: nothing to find") << "demo" << "他们" << QStringList{} << 0 << "not_found_error";
}

void TestChecker::vipOnlyFindingsAreWithheld()
{
    QFETCH(QString, user);
    QFETCH(QString, text);
    QFETCH(QStringList, shown);
    QFETCH(int, withheld);
    QFETCH(QString, errorId);
    const QByteArray body = service->check(service->login(user, user), text).body;
    const QJsonObject reply = QJsonDocument::fromJson(body).object();
    QCOMPARE(words(reply), shown);
    QCOMPARE(reply.value("vip_error_count").toInt(), withheld);
    QCOMPARE(reply.value("error_id").toString(), errorId);
    QCOMPARE(body.count("\"error_id\""), errorId.isEmpty() ? 0 : 1);   // one error, never two
    if (withheld > 0) {
        const QString msg = reply.value("error_msg").toString();
        QVERIFY2(msg.startsWith(QString(" %1 个高级错误未显示，只提供给 VIP 会员。").arg(withheld)), qPrintable(msg));
        QVERIFY2(msg.endsWith(service->root() + "vip/"), qPrintable(msg));
    }
}

void TestChecker::addedWordsAreNoLongerFlagged()
{
    ServiceFixture own;
    const QString demo = own.login("demo", "demo");
    const QString vip = own.login("vip", "vip");
    const QString text = "他门口有棵树，他门都知道";
    QCOMPARE(describe(own.check(demo, text).json()), (QStringList{"他门@0-1/1/4>他们", "他门@7-8/1/4>他们"}));

    QCOMPARE(own.postForm("api/v3/add-to-dict/", {{"access_token", demo}, {"new_word", ""}})
                 .errorId(),
             QString("param_error"));
    QCOMPARE(own.postForm("api/v3/add-to-dict/", {{"access_token", demo}, {"new_word", "他门口"}}).body,
             QByteArray("{}"));
    // Only the occurrence inside the added word is spared, and only for that account.
    QCOMPARE(describe(own.check(demo, text).json()), QStringList{"他门@7-8/1/4>他们"});
    QCOMPARE(describe(own.check(own.login("demo", "demo"), "他门口").json()), QStringList{});
    QCOMPARE(describe(own.check(vip, "他门口").json()), QStringList{"他门@0-1/1/4>他们"});

    own.control("reset");
    QCOMPARE(describe(own.check(own.login("demo", "demo"), "他门口").json()), QStringList{"他门@0-1/1/4>他们"});
}

void TestChecker::garbledTextIsCheckedSafely()
{
    // Invalid UTF-8 bytes count as one unit each; the scan never runs past the end.
    const QByteArray body = "access_token=" + vipToken.toUtf8() + "&text=%E4%BB%96%FF%E9%97%A8%E4%BB%96%E9%97%A8%F0%A0";
    const QJsonObject reply = service->post("api/v3/check", body).json();
    QCOMPARE(describe(reply), QStringList{QString::fromUtf8("他门@3-4/1/4>他们")});
}

QTEST_GUILESS_MAIN(TestChecker)
#include "tst_checker.moc"
