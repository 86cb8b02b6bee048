#include "servicefixture.h"

#include <QFile>
#include <QJsonArray>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using Fields = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Fields)

class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void routes_data();
    void routes();
    void login_data();
    void login();
    void formBodiesAreDecodedInOrder_data();
    void formBodiesAreDecodedInOrder();
    void queryAndNonFormBodiesAreKeptApart();
    void requestLogIsReadableOverControlAndFile();
    void accountCallsNeedAKnownToken_data();
    void accountCallsNeedAKnownToken();
    void localAccessToken_data();
    void localAccessToken();
    void emptyTextIsNoText();
    void oversizedBodyIsRefusedAndServiceLivesOn();
    void bodiesAreReadByTheirFraming_data();
    void bodiesAreReadByTheirFraming();
    void controlChangesSettingsUntilReset();
    void controlCanBeSwitchedOff();
    void controlAnswersOnlyLoopbackHosts_data();
    void controlAnswersOnlyLoopbackHosts();
    void selfSignedHttpsNeedsTheClientsConsent();
};

void TestProtocol::routes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("viaGet");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("site");   // of the logged probe; -2: nothing logged
    QTest::newRow("probe, bare root") << "api/v3/is-domain-ok/" << false << 200 << -1;
    QTest::newRow("probe, site 0") << "site0/api/v3/is-domain-ok/" << false << 200 << 0;
    QTest::newRow("probe, site 3 by GET") << "site3/api/v3/is-domain-ok/" << true << 200 << 3;
    QTest::newRow("site beyond the four") << "site4/api/v3/is-domain-ok/" << false << 404 << -2;
    QTest::newRow("probe without slash") << "api/v3/is-domain-ok" << true << 404 << -2;
    QTest::newRow("check with slash") << "api/v3/check/" << false << 404 << -2;
    QTest::newRow("older version") << "api/v2/auth/" << false << 404 << -2;
    QTest::newRow("the root itself") << "" << true << 404 << -2;
    QTest::newRow("moved twice") << "moved/moved/api/v3/check" << false << 404 << -2;
    QTest::newRow("unknown control") << "control/explode" << false << 404 << -2;
    QTest::newRow("control by GET") << "control/reset" << true << 404 << -2;
    QTest::newRow("check by GET") << "api/v3/check" << true << 405 << -2;
    QTest::newRow("login by GET") << "site1/api/v3/auth/login/" << true << 405 << -2;
}

void TestProtocol::routes()
{
    QFETCH(QString, path);
    QFETCH(bool, viaGet);
    QFETCH(int, status);
    QFETCH(int, site);
    ServiceFixture service;
    QVERIFY(service.started);
    const HttpResult r = viaGet ? service.get(path)
                                : service.postForm(path, {{"client_id", "word"}, {"access_token", ""}});
    QCOMPARE(r.status, status);
    const auto log = service.server->core().requestLog().entries();
    QCOMPARE(int(log.size()), site == -2 ? 0 : 1);
    if (site != -2) {
        QCOMPARE(r.body, QByteArray("OK"));   // exactly, no line break
        QCOMPARE(log[0].kind, std::string("probe"));
        QCOMPARE(log[0].site, site);
    }
}

void TestProtocol::login_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("errorId");
    QTest::addColumn<bool>("vip");
    QTest::newRow("right") << "demo" << "demo" << "" << false;
    QTest::newRow("VIP account") << "vip" << "vip" << "" << true;
    QTest::newRow("password with + & = %") << "plus" << "p+ss&w=rd%" << "" << false;
    QTest::newRow("wrong password") << "demo" << "Demo" << "login_error" << false;
    QTest::newRow("empty user and password") << "" << "" << "login_error" << false;
}

void TestProtocol::login()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, errorId);
    QFETCH(bool, vip);
    ServiceFixture service;
    // From any site the check lives at the service's root.
    const QJsonObject reply = service.postForm("site3/api/v3/auth/login/", {{"password", password}, {"user_name", user}})
                                  .json();
    QCOMPARE(reply.value("error_id").toString(), errorId);
    if (!errorId.isEmpty()) {
        QCOMPARE(reply.value("error_msg").toString(), QString("账号或密码错误，请重新登录。"));
        QVERIFY(!reply.contains("access_token"));
        return;
    }
    QVERIFY(!reply.value("access_token").toString().isEmpty());
    QCOMPARE(reply.value("user_name").toString(), user);
    QCOMPARE(reply.value("is_vip"), QJsonValue(vip));
    QCOMPARE(reply.value("vip_end_date").toString(), QString(vip ? "2099-12-31" : ""));
    QCOMPARE(reply.value("check_server").toString(), service.root());
    QCOMPARE(reply.value("check_char_max").toInt(), 3000);
    // Each login is a new session.
    QVERIFY(service.login(user, password) != reply.value("access_token").toString());
}

void TestProtocol::formBodiesAreDecodedInOrder_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("expected");   // key=value per field, in order
    QTest::newRow("plus is a space") << QByteArray("a=1+2") << QStringList{"a=1 2"};
    QTest::newRow("unencoded + and & break a password") << QByteArray("user_name=plus&password=p+ss&w=rd%")
                                                        << QStringList{"user_name=plus", "password=p ss", "w=rd%"};
    QTest::newRow("%2B is a plus") << QByteArray("a=1%2B2") << QStringList{"a=1+2"};
    QTest::newRow("%26 stays in the value") << QByteArray("a=x%26y&b=") << QStringList{"a=x&y", "b="};
    QTest::newRow("encoded equals in key") << QByteArray("k%3Dv=1") << QStringList{"k=v=1"};
    QTest::newRow("UTF-8 bytes") << QByteArray("t=%E4%BB%96%E9%97%A8") << QStringList{"t=他门"};
    QTest::newRow("stray percent kept") << QByteArray("a=%zz%&b=%4") << QStringList{"a=%zz%", "b=%4"};
    QTest::newRow("order kept, not sorted") << QByteArray("z=1&a=2&m=3") << QStringList{"z=1", "a=2", "m=3"};
    QTest::newRow("repeated key kept twice") << QByteArray("a=1&a=2") << QStringList{"a=1", "a=2"};
    QTest::newRow("empty pieces skipped") << QByteArray("&a=1&&b=2&") << QStringList{"a=1", "b=2"};
}

void TestProtocol::formBodiesAreDecodedInOrder()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, expected);
    ServiceFixture service;
    QCOMPARE(service.post("api/v3/report-error/", body).status, 200);
    const LoggedRequest entry = service.server->core().requestLog().entries().back();
    QStringList got;
    for (const auto& field : entry.fields.items())
        got << QString::fromStdString(field.first + "=" + field.second);
    QCOMPARE(got, expected);
}

void TestProtocol::queryAndNonFormBodiesAreKeptApart()
{
    ServiceFixture service;
    QCOMPARE(service.post("api/v3/add-to-dict/?client_id=word&user_name=a%2Bb", "new_word=x", 10000, false,
                          "text/plain").errorId(),
             QString("no_login"));
    const LoggedRequest entry = service.server->core().requestLog().entries().back();
    QCOMPARE(entry.query.value("user_name"), std::string("a+b"));
    QCOMPARE(entry.query.items().front().first, std::string("client_id"));
    QVERIFY(entry.fields.items().empty());
    QCOMPARE(entry.body, std::string("new_word=x"));
    QCOMPARE(entry.contentType, std::string("text/plain"));
}

void TestProtocol::requestLogIsReadableOverControlAndFile()
{
    QTemporaryDir dir;
    ServiceOptions options;
    options.requestLogFile = dir.filePath("requests.jsonl").toStdString();
    ServiceFixture service(options);
    service.postForm("site2/api/v3/auth/login/", {{"user_name", "demo"}, {"password", "a b+c"}});
    service.postForm("api/v3/is-domain-ok/", {});
    const QJsonArray log = QJsonDocument::fromJson(service.get("control/requests").body).array();
    QCOMPARE(log.size(), 2);
    const QJsonObject first = log[0].toObject();
    QCOMPARE(first.value("seq").toInt(), 1);
    QCOMPARE(first.value("kind").toString(), QString("login"));
    QCOMPARE(first.value("site").toInt(), 2);
    QCOMPARE(first.value("path").toString(), QString("/site2/api/v3/auth/login/"));
    QCOMPARE(first.value("fields").toArray()[1].toArray()[1].toString(), QString("a b+c"));
    QCOMPARE(log[1].toObject().value("site").toInt(), -1);
    QCOMPARE(service.control("clear-requests").status, 200);
    QCOMPARE(QJsonDocument::fromJson(service.get("control/requests").body).array().size(), 0);

    // The file keeps one line per service request; control requests are not service requests.
    QFile file(dir.filePath("requests.jsonl"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(QJsonDocument::fromJson(lines[0]).object().value("fields").toArray()[1].toArray()[1].toString(),
             QString("a b+c"));
    QCOMPARE(QJsonDocument::fromJson(lines[1]).object().value("kind").toString(), QString("probe"));
}

void TestProtocol::accountCallsNeedAKnownToken_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<QString>("goodReplyKey");   // present in the reply with a valid token
    const Fields report{{"msg", "note"}, {"text_error", "他门"}, {"text_sentence", "他门来了"}};
    QTest::newRow("auth") << "api/v3/auth/" << Fields{{"text_length", "10"}, {"user_name", "demo"}} << "access_token";
    QTest::newRow("report error") << "site1/api/v3/report-error/" << report << "";
    QTest::newRow("add to dict") << "api/v3/add-to-dict/" << Fields{{"new_word", "他门"}} << "";
    QTest::newRow("check") << "api/v3/check" << Fields{{"text", "他门"}} << "check_data";
}

void TestProtocol::accountCallsNeedAKnownToken()
{
    QFETCH(QString, path);
    QFETCH(Fields, fields);
    QFETCH(QString, goodReplyKey);
    ServiceFixture service;
    const QString token = service.login("demo", "demo");
    const auto withToken = [&](const QString& t) { return service.postForm(path, Fields{{"access_token", t}} + fields); };

    QCOMPARE(withToken("").errorId(), QString("no_login"));
    QCOMPARE(withToken("").json().value("error_msg").toString(), QString("请先登录，然后再校对！"));
    QCOMPARE(withToken("tok-stale").errorId(), QString("login_again"));
    const HttpResult good = withToken(token);
    QCOMPARE(good.status, 200);
    QVERIFY(!good.json().contains("error_id"));
    if (goodReplyKey.isEmpty())
        QCOMPARE(good.body, QByteArray("{}"));
    else
        QVERIFY(good.json().contains(goodReplyKey));
    // The account call asks for one user: another user's token is no login.
    if (path.endsWith("auth/"))
        QCOMPARE(service.postForm(path, {{"access_token", token}, {"user_name", "vip"}}).errorId(), QString("login_again"));
}

void TestProtocol::localAccessToken_data()
{
    QTest::addColumn<QString>("configured");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("errorId");
    QTest::newRow("configured and matching") << "s3cret+1" << "s3cret+1" << "";
    QTest::newRow("configured, wrong") << "s3cret+1" << "s3cret 1" << "local_access_token_error";
    QTest::newRow("not configured: accepted") << "" << "anything" << "";
    QTest::newRow("none sent, no account") << "s3cret+1" << "" << "no_login";
}

void TestProtocol::localAccessToken()
{
    QFETCH(QString, configured);
    QFETCH(QString, sent);
    QFETCH(QString, errorId);
    ServiceOptions options;
    options.localAccessToken = configured.toStdString();
    ServiceFixture service(options);
    // 再接再励 is VIP only: a local deployment shows it.
    const QJsonObject reply = service.postForm("api/v3/check", {{"text", "再接再励"}, {"access_token", ""},
                                                                {"local_access_token", sent}}).json();
    QCOMPARE(reply.value("error_id").toString(), errorId);
    if (errorId.isEmpty()) {
        QCOMPARE(reply.value("check_data").toArray().size(), 1);
        QCOMPARE(reply.value("vip_error_count").toInt(), 0);
    }
}

void TestProtocol::emptyTextIsNoText()
{
    ServiceFixture service;
    const QJsonObject reply = service.check(service.login("demo", "demo"), "").json();
    QCOMPARE(reply.value("error_id").toString(), QString("no_text"));
    QCOMPARE(reply.value("error_msg").toString(), QString("没有要校对的文字。"));
}

void TestProtocol::oversizedBodyIsRefusedAndServiceLivesOn()
{
    ServiceOptions options;
    options.maxBody = 4096;
    ServiceFixture service(options);
    const QString token = service.login("demo", "demo");
    const HttpResult big = service.check(token, QString(5000, QChar(0x4ED6)));
    QCOMPARE(big.status, 413);
    QVERIFY(big.json().isEmpty());
    QCOMPARE(service.check(token, "他门").json().value("check_data").toArray().size(), 1);

    // A chunked body has no length to judge in advance: refused before it is read.
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", quint16(service.server->port()));
    QVERIFY(socket.waitForConnected(5000));
    socket.write("POST /api/v3/check HTTP/1.1\r\nHost: 127.0.0.1\r\nTransfer-Encoding: chunked\r\n\r\n"
                 "5\r\ntext=\r\n");
    QVERIFY(socket.waitForReadyRead(5000));
    QVERIFY(socket.readLine().startsWith("HTTP/1.1 411"));
    QCOMPARE(service.server->core().requestLog().entries().size(), size_t(2));
}

void TestProtocol::bodiesAreReadByTheirFraming_data()
{
    QTest::addColumn<QByteArray>("request");   // sent as it stands after the request line, or whole
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QString>("errorId");      // of the JSON body, when one is expected

    QTest::newRow("no body, no length") << QByteArray("Host: a\r\n\r\n") << QByteArray("200") << "no_login";
    QTest::newRow("zero length") << QByteArray("Host: a\r\nContent-Length: 0\r\n\r\n") << QByteArray("200")
                                 << "no_login";
    QTest::newRow("form without token") << QByteArray("Host: a\r\nContent-Length: 13\r\n\r\ntext_length=1")
                                        << QByteArray("200") << "no_login";
    QTest::newRow("over the limit") << QByteArray("Host: a\r\nContent-Length: 5000\r\n\r\n") + QByteArray(5000, 'x')
                                    << QByteArray("413") << "";
    QTest::newRow("chunked") << QByteArray("Host: a\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n")
                             << QByteArray("411") << "";
    auto headers = [](int count, int size) {
        QByteArray head;
        for (int i = 0; i < count; ++i)
            head += "X-" + QByteArray::number(i) + ": " + QByteArray(size, 'v') + "\r\n";
        return head;
    };
    // A GET's body is never read: waiting for the one its length announces would stall it.
    QTest::newRow("GET with a length") << QByteArray("GET /api/v3/is-domain-ok/ HTTP/1.1\r\nContent-Length: 10\r\n\r\n")
                                       << QByteArray("200") << "";
    QTest::newRow("100 header lines") << headers(100, 10) + "\r\n" << QByteArray("200") << "no_login";
    QTest::newRow("101 header lines") << headers(101, 10) + "\r\n" << QByteArray("431") << "";
    QTest::newRow("head beyond 32 KiB") << headers(10, 3400) + "\r\n" << QByteArray("431") << "";
    QTest::newRow("endless head") << headers(12, 3400) << QByteArray("431") << "";
}

void TestProtocol::bodiesAreReadByTheirFraming()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, status);
    QFETCH(QString, errorId);
    ServiceOptions options;
    options.maxBody = 4096;
    ServiceFixture service(options);
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", quint16(service.server->port()));
    QVERIFY(socket.waitForConnected(5000));
    QElapsedTimer clock;
    clock.start();
    // A row may bring a request line of its own.
    socket.write(request.startsWith("GET ") ? request : "POST /api/v3/auth/ HTTP/1.1\r\n" + request);
    QByteArray answer;
    // Well inside the service's five-second wait for a body that never comes.
    while (clock.elapsed() < 2000 && (!answer.contains("\r\n\r\n") || (!errorId.isEmpty() && !answer.endsWith('}')))) {
        socket.waitForReadyRead(100);
        answer += socket.readAll();
    }
    QVERIFY2(answer.startsWith("HTTP/1.1 " + status), answer.constData());
    if (!errorId.isEmpty()) {
        const QByteArray body = answer.mid(answer.indexOf("\r\n\r\n") + 4);
        QCOMPARE(QJsonDocument::fromJson(body).object().value("error_id").toString(), errorId);
    }
}

void TestProtocol::controlChangesSettingsUntilReset()
{
    ServiceFixture service;
    QCOMPARE(service.control("config", {{"check_char_max", "7"}, {"check_server", "http://127.0.0.1:9/"}}).status, 200);
    QCOMPARE(service.control("account", {{"user_name", "新用户"}, {"password", "x+y"}, {"is_vip", "1"},
                                         {"vip_end_date", "2030-01-01"}}).status, 200);
    QCOMPARE(service.control("account", {{"password", "x"}}).status, 400);
    QJsonObject account = service.postForm("api/v3/auth/login/", {{"user_name", "新用户"}, {"password", "x+y"}}).json();
    QCOMPARE(account.value("check_char_max").toInt(), 7);
    QCOMPARE(account.value("check_server").toString(), QString("http://127.0.0.1:9/"));
    QCOMPARE(account.value("is_vip"), QJsonValue(true));

    QCOMPARE(service.control("reset").status, 200);
    QCOMPARE(service.postForm("api/v3/auth/", {{"access_token", account.value("access_token").toString()}})
                 .errorId(),
             QString("login_again"));
    account = service.postForm("api/v3/auth/login/", {{"user_name", "新用户"}, {"password", "x+y"}}).json();
    QCOMPARE(account.value("error_id").toString(), QString("login_error"));
    QCOMPARE(service.postForm("api/v3/auth/login/", {{"user_name", "demo"}, {"password", "demo"}})
                 .json().value("check_char_max").toInt(),
             3000);
}

void TestProtocol::controlCanBeSwitchedOff()
{
    ServiceOptions options;
    options.control = false;
    ServiceFixture service(options);
    QCOMPARE(service.control("reset").status, 404);
    QCOMPARE(service.get("control/requests").status, 404);
}

void TestProtocol::controlAnswersOnlyLoopbackHosts_data()
{
    QTest::addColumn<QByteArray>("host");   // the Host line; empty: none
    QTest::addColumn<bool>("allowed");
    QTest::newRow("address with port") << QByteArray("127.0.0.1:8765") << true;
    QTest::newRow("localhost") << QByteArray("localhost") << true;
    QTest::newRow("localhost in capitals with port") << QByteArray("LOCALHOST:80") << true;
    QTest::newRow("other loopback address") << QByteArray("127.200.3.4") << true;
    QTest::newRow("IPv6 loopback with port") << QByteArray("[::1]:8765") << true;
    QTest::newRow("rebound name") << QByteArray("evil.example:8765") << false;
    QTest::newRow("loopback address as a subdomain") << QByteArray("127.0.0.1.evil.example") << false;
    QTest::newRow("localhost as a subdomain") << QByteArray("localhost.evil.example") << false;
    QTest::newRow("byte out of range") << QByteArray("127.0.0.256") << false;
    QTest::newRow("three parts") << QByteArray("127.0.1") << false;
    QTest::newRow("private address") << QByteArray("10.0.0.1") << false;
    QTest::newRow("other IPv6 address") << QByteArray("[::2]") << false;
    QTest::newRow("empty port") << QByteArray("localhost:") << false;
    QTest::newRow("no host") << QByteArray() << false;
}

void TestProtocol::controlAnswersOnlyLoopbackHosts()
{
    QFETCH(QByteArray, host);
    QFETCH(bool, allowed);
    ServiceFixture service;
    QVERIFY(service.started);
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", quint16(service.server->port()));
    QVERIFY(socket.waitForConnected(5000));
    const QByteArray body = "check_char_max=9";
    socket.write("POST /control/config HTTP/1.1\r\n" + (host.isEmpty() ? QByteArray() : "Host: " + host + "\r\n")
                 + "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: "
                 + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    QByteArray answer;
    QTRY_VERIFY_WITH_TIMEOUT((answer += socket.readAll()).contains("\r\n\r\n"), 5000);
    QVERIFY2(answer.startsWith(allowed ? "HTTP/1.1 200 " : "HTTP/1.1 403 "), answer.constData());
    // A refused request changes nothing.
    const QJsonObject account = service.postForm("api/v3/auth/login/", {{"user_name", "demo"}, {"password", "demo"}})
                                    .json();
    QCOMPARE(account.value("check_char_max").toInt(), allowed ? 9 : 3000);
}

void TestProtocol::selfSignedHttpsNeedsTheClientsConsent()
{
    ServiceOptions options;
    options.tlsSelfSigned = true;
    ServiceFixture service(options);
    QVERIFY(service.started);
    QVERIFY(service.root().startsWith("https://127.0.0.1:"));
    QCOMPARE(service.post("api/v3/is-domain-ok/", "a=1").error, QNetworkReply::SslHandshakeFailedError);

    QNetworkReply* reply = service.start("site1/api/v3/auth/login/", "user_name=demo&password=demo");
    reply->ignoreSslErrors();
    const HttpResult r = ServiceFixture::wait(reply, 10000);
    QCOMPARE(r.error, QNetworkReply::NoError);
    QCOMPARE(r.json().value("check_server").toString(), service.root());
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
