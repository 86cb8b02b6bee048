#include "servicefixture.h"

#include <QJsonArray>
#include <QtTest>

using Fields = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Fields)

class TestMisbehaviour : public QObject
{
    Q_OBJECT

private slots:
    void modes_data();
    void modes();
    void redirectIsFollowedToAPlainCopy();
    void hangingRequestWaitsForRelease();
    void stopEndsHangingRequests();
    void rulesMatchTargetAndSite_data();
    void rulesMatchTargetAndSite();
    void badRulesAreRefused_data();
    void badRulesAreRefused();
    void startupRulesComeBackAfterReset();
};

void TestMisbehaviour::modes_data()
{
    QTest::addColumn<Fields>("rule");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("bodyStart");
    QTest::addColumn<bool>("validJson");
    QTest::addColumn<QNetworkReply::NetworkError>("error");
    QTest::addColumn<int>("atLeastMs");
    const auto none = QNetworkReply::NoError;
    QTest::newRow("HTTP 500")
        << Fields{{"mode", "status"}} << 500 << QByteArray("status 500") << false << QNetworkReply::InternalServerError
        << 0;
    QTest::newRow("HTTP 503 with body")
        << Fields{{"mode", "status"}, {"status", "503"}, {"body", "busy"}} << 503 << QByteArray("busy") << false
        << QNetworkReply::ServiceUnavailableError << 0;
    QTest::newRow("chosen body")
        << Fields{{"mode", "body"}, {"body", "{\"error_id\":\"server_busy\"}"}} << 200
        << QByteArray("{\"error_id\":\"server_busy\"}") << true << none << 0;
    QTest::newRow("malformed JSON") << Fields{{"mode", "malformed"}} << 200 << QByteArray("{\"check_data\":[{") << false
                                    << none << 0;
    QTest::newRow("deeply nested")
        << Fields{{"mode", "nested"}, {"depth", "40"}} << 200 << QByteArray("{\"check_data\":" + QByteArray(40, '['))
        << true << none << 0;
    QTest::newRow("redirect, not followed") << Fields{{"mode", "redirect"}} << 307 << QByteArray() << false << none << 0;
    QTest::newRow("dropped connection")
        << Fields{{"mode", "drop"}} << 0 << QByteArray() << false << QNetworkReply::RemoteHostClosedError << 0;
    QTest::newRow("delay") << Fields{{"mode", "delay"}, {"ms", "300"}} << 200 << QByteArray("{\"vip_error_count\":0,")
                           << true << none << 250;
}

void TestMisbehaviour::modes()
{
    QFETCH(Fields, rule);
    QFETCH(int, status);
    QFETCH(QByteArray, bodyStart);
    QFETCH(bool, validJson);
    QFETCH(QNetworkReply::NetworkError, error);
    QFETCH(int, atLeastMs);
    ServiceFixture service;
    const QString token = service.login("demo", "demo");
    QCOMPARE(service.control("misbehave", Fields{{"target", "check"}} + rule).status, 200);

    const HttpResult r = service.post("api/v3/check?k=1", ServiceFixture::form({{"text", "他门"}, {"access_token", token}}));
    QVERIFY(r.finished);
    QCOMPARE(r.error, error);
    QVERIFY2(r.elapsedMs >= atLeastMs, QByteArray::number(r.elapsedMs).constData());
    if (error == QNetworkReply::RemoteHostClosedError)
        return;
    QCOMPARE(r.status, status);
    QVERIFY2(r.body.startsWith(bodyStart), r.body.left(80).constData());
    QJsonParseError parse;
    QJsonDocument::fromJson(r.body, &parse);
    QCOMPARE(parse.error == QJsonParseError::NoError, validJson);
    if (status == 307)
        QCOMPARE(r.location, QByteArray("/moved/api/v3/check?k=1"));
    // The rule was for checks: the other calls answer normally.
    QCOMPARE(service.postForm("api/v3/auth/", {{"access_token", token}}).json().value("user_name").toString(),
             QString("demo"));
}

void TestMisbehaviour::redirectIsFollowedToAPlainCopy()
{
    ServiceFixture service;
    const QString token = service.login("demo", "demo");
    service.control("misbehave", {{"target", "check"}, {"mode", "redirect"}});
    const HttpResult r = service.post("site1/api/v3/check", ServiceFixture::form({{"text", "他门"}, {"access_token", token}}),
                                      10000, true);
    QCOMPARE(r.status, 200);
    QCOMPARE(r.json().value("check_data").toArray().size(), 1);
    const auto log = service.server->core().requestLog().entries();
    QCOMPARE(log.back().path, std::string("/moved/site1/api/v3/check"));
    QVERIFY(log.back().redirected);
    QCOMPARE(log.back().site, 1);
    QCOMPARE(log.back().fields.items(), log[log.size() - 2].fields.items());
}

void TestMisbehaviour::hangingRequestWaitsForRelease()
{
    ServiceFixture service;
    service.control("misbehave", {{"target", "login"}, {"mode", "hang"}});
    QNetworkReply* hanging = service.start("api/v3/auth/login/", "user_name=demo&password=demo");
    QTest::qWait(400);
    QVERIFY(!hanging->isFinished());
    // Other requests still get through while one hangs.
    QCOMPARE(service.post("api/v3/is-domain-ok/", "a=1").body, QByteArray("OK"));
    QCOMPARE(service.control("release").status, 200);
    const HttpResult r = ServiceFixture::wait(hanging, 10000);
    QVERIFY(r.finished);
    QCOMPARE(r.status, 503);
}

void TestMisbehaviour::stopEndsHangingRequests()
{
    ServiceFixture service;
    service.control("misbehave", {{"mode", "hang"}});
    QNetworkReply* hanging = service.start("api/v3/check", "text=x");
    QTRY_COMPARE_WITH_TIMEOUT(service.server->core().requestLog().entries().size(), size_t(1), 5000);
    QElapsedTimer clock;
    clock.start();
    service.server->stop();
    QVERIFY2(clock.elapsed() < 8000, "stop waited for the hanging request");
    QVERIFY(ServiceFixture::wait(hanging, 10000).finished);
}

void TestMisbehaviour::rulesMatchTargetAndSite_data()
{
    QTest::addColumn<Fields>("rule");
    QTest::addColumn<QStringList>("expected");   // probe bodies for the root, site0 .. site3
    const QStringList allOk{"OK", "OK", "OK", "OK", "OK"};
    QTest::newRow("site 0 answers lower case")
        << Fields{{"target", "probe"}, {"site", "0"}, {"mode", "body"}, {"body", "ok"}}
        << QStringList{"OK", "ok", "OK", "OK", "OK"};
    QTest::newRow("bare root only")
        << Fields{{"target", "probe"}, {"site", "root"}, {"mode", "body"}, {"body", "OK\n"}}
        << QStringList{"OK\n", "OK", "OK", "OK", "OK"};
    QTest::newRow("any target, site 3")
        << Fields{{"site", "3"}, {"mode", "status"}, {"body", "down"}} << QStringList{"OK", "OK", "OK", "OK", "down"};
    QTest::newRow("another target") << Fields{{"target", "check"}, {"mode", "status"}} << allOk;
    QTest::newRow("skip one, then two") << Fields{{"target", "probe"}, {"mode", "status"}, {"skip", "1"}, {"count", "2"}}
                                        << QStringList{"OK", "status 500", "status 500", "OK", "OK"};
}

void TestMisbehaviour::rulesMatchTargetAndSite()
{
    QFETCH(Fields, rule);
    QFETCH(QStringList, expected);
    ServiceFixture service;
    QCOMPARE(service.control("misbehave", rule).status, 200);
    QStringList got;
    for (const char* root : {"", "site0/", "site1/", "site2/", "site3/"})
        got << QString::fromUtf8(service.post(QString(root) + "api/v3/is-domain-ok/", "client_id=word").body);
    QCOMPARE(got, expected);
}

void TestMisbehaviour::badRulesAreRefused_data()
{
    QTest::addColumn<Fields>("rule");
    QTest::addColumn<QString>("option");   // the same rule on the command line
    QTest::newRow("no mode") << Fields{{"target", "check"}} << "target=check";
    QTest::newRow("unknown mode") << Fields{{"mode", "explode"}} << "mode=explode";
    QTest::newRow("unknown target") << Fields{{"mode", "hang"}, {"target", "checks"}} << "mode=hang&target=checks";
    QTest::newRow("site beyond the four") << Fields{{"mode", "hang"}, {"site", "4"}} << "mode=hang&site=4";
    QTest::newRow("status out of range") << Fields{{"mode", "status"}, {"status", "99"}} << "mode=status&status=99";
}

void TestMisbehaviour::badRulesAreRefused()
{
    QFETCH(Fields, rule);
    QFETCH(QString, option);
    ServiceFixture service;
    const HttpResult r = service.control("misbehave", rule);
    QCOMPARE(r.status, 400);
    QCOMPARE(r.json().value("ok"), QJsonValue(false));
    QVERIFY(!r.json().value("error").toString().isEmpty());
    QCOMPARE(service.server->core().misbehaviour().size(), size_t(0));

    std::string error;
    QVERIFY(!ServiceOptions::parse({"--misbehave", option.toStdString()}, error));
    QVERIFY(!error.empty());
}

void TestMisbehaviour::startupRulesComeBackAfterReset()
{
    std::string error;
    const auto options = ServiceOptions::parse({"--misbehave", "target=probe&mode=status&status=502"}, error);
    QVERIFY(options);
    ServiceFixture service(*options);
    service.control("misbehave", {{"target", "probe"}, {"mode", "hang"}});
    QCOMPARE(service.post("api/v3/is-domain-ok/", "a=1").status, 502);
    QCOMPARE(service.control("reset").status, 200);
    QCOMPARE(service.server->core().misbehaviour().size(), size_t(1));
    QCOMPARE(service.post("api/v3/is-domain-ok/", "a=1").status, 502);
}

QTEST_GUILESS_MAIN(TestMisbehaviour)
#include "tst_misbehaviour.moc"
