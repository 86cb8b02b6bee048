#include "servicefixture.h"

#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTcpSocket>
#include <QtTest>

#include <sys/socket.h>

// What one client can make the service hold: memory for its requests, workers for its
// connections, room in the listening queue.
class TestLimits : public QObject
{
    Q_OBJECT

private slots:
    void requestLogKeepsOnlyTheLatest_data();
    void requestLogKeepsOnlyTheLatest();
    void configChangesNothingItRefuses_data();
    void configChangesNothingItRefuses();
    void unservedHeadsAreAnsweredAtOnce_data();
    void unservedHeadsAreAnsweredAtOnce();
    void slowConnectionsLeaveWorkersFree_data();
    void slowConnectionsLeaveWorkersFree();
    void unfinishedRequestsShareOneBound_data();
    void unfinishedRequestsShareOneBound();
    void listeningQueueIsTheSystems();
};

void TestLimits::requestLogKeepsOnlyTheLatest_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("bytes");       // the log's bound in bytes
    QTest::addColumn<int>("bodySize");
    QTest::addColumn<bool>("control");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QVector<int>>("kept");   // sequence numbers
    QTest::newRow("oldest dropped") << 3 << 1 << 10 << true << 5 << QVector<int>{3, 4, 5};
    QTest::newRow("room to spare") << 10 << 1 << 10 << true << 2 << QVector<int>{1, 2};
    QTest::newRow("none asked for") << 0 << 1 << 10 << true << 3 << QVector<int>{};
    QTest::newRow("nobody can read it") << 256 << 1 << 10 << false << 3 << QVector<int>{};
    // An entry holds the body and its decoded fields: two of these fit, a third does not.
    QTest::newRow("bytes drop the oldest") << 256 << 20000 << 4000 << true << 5 << QVector<int>{4, 5};
    QTest::newRow("latest kept beyond the bytes") << 256 << 100 << 4000 << true << 3 << QVector<int>{3};
}

void TestLimits::requestLogKeepsOnlyTheLatest()
{
    QFETCH(int, capacity);
    QFETCH(int, bytes);
    QFETCH(int, bodySize);
    QFETCH(bool, control);
    QFETCH(int, sent);
    QFETCH(QVector<int>, kept);
    ServiceOptions options;
    options.requestLogSize = size_t(capacity);
    // Rows about the count alone leave the bytes at their default.
    if (bytes > 1)
        options.requestLogBytes = size_t(bytes);
    options.control = control;
    ServiceFixture service(options);
    QVERIFY(service.started);
    for (int i = 0; i < sent; ++i)
        QCOMPARE(service.post("api/v3/is-domain-ok/", "n=" + QByteArray(bodySize, 'a' + char(i))).status, 200);
    QVector<int> seqs;
    for (const LoggedRequest& entry : service.server->core().requestLog().entries())
        seqs << entry.seq;
    QCOMPARE(seqs, kept);
    if (kept.size() > 1)
        QVERIFY(service.server->core().requestLog().bytes() <= options.requestLogBytes);
    if (control)
        QCOMPARE(QJsonDocument::fromJson(service.get("control/requests").body).array().size(), kept.size());
}

void TestLimits::configChangesNothingItRefuses_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("refused");   // the key the error names; empty when accepted
    QTest::addColumn<QString>("version");   // the feed's afterwards
    QTest::addColumn<int>("charMax");       // what a login hands out afterwards
    QTest::addColumn<QString>("mandatory"); // the feed's "mandatory-update", or "absent"
    QTest::newRow("version not UTF-8") << QByteArray("update_version=3.%88") << "update_version" << "3.5" << 3000
                                       << "false";
    QTest::newRow("address not UTF-8") << QByteArray("update_version=4&update_open_url=http://a/%FF")
                                       << "update_open_url" << "3.5" << 3000 << "false";
    QTest::newRow("UTF-8 version") << QByteArray("update_version=%E7%89%88") << "" << QString::fromUtf8("版") << 3000
                                   << "false";
    QTest::newRow("size beyond the bound") << QByteArray("update_version=4&update_size=268435457") << "update_size"
                                           << "3.5" << 3000 << "false";
    QTest::newRow("negative size") << QByteArray("update_size=-1") << "update_size" << "3.5" << 3000 << "false";
    QTest::newRow("size not a number") << QByteArray("update_size=1M") << "update_size" << "3.5" << 3000 << "false";
    QTest::newRow("plain size") << QByteArray("update_version=4&update_size=70001") << "" << "4" << 3000 << "false";
    QTest::newRow("page size not a number") << QByteArray("update_version=4&check_char_max=abc") << "check_char_max"
                                            << "3.5" << 3000 << "false";
    QTest::newRow("negative page size") << QByteArray("check_char_max=-5") << "check_char_max" << "3.5" << 3000
                                        << "false";
    QTest::newRow("page size zero") << QByteArray("check_char_max=0") << "check_char_max" << "3.5" << 3000 << "false";
    QTest::newRow("page size beyond the bound") << QByteArray("check_char_max=1000001") << "check_char_max" << "3.5"
                                                << 3000 << "false";
    QTest::newRow("plain page size") << QByteArray("check_char_max=7") << "" << "3.5" << 7 << "false";
    QTest::newRow("mandatory maybe") << QByteArray("update_version=4&check_char_max=7&update_mandatory=maybe")
                                     << "update_mandatory" << "3.5" << 3000 << "false";
    QTest::newRow("mandatory true") << QByteArray("update_mandatory=true") << "" << "3.5" << 3000 << "true";
    QTest::newRow("mandatory left out") << QByteArray("update_mandatory=") << "" << "3.5" << 3000 << "absent";
}

void TestLimits::configChangesNothingItRefuses()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, refused);
    QFETCH(QString, version);
    QFETCH(int, charMax);
    QFETCH(QString, mandatory);
    ServiceFixture service;
    QVERIFY(service.started);
    const HttpResult answer = service.post("control/config", body);
    QCOMPARE(answer.status, refused.isEmpty() ? 200 : 400);
    QCOMPARE(answer.json().value("ok").toBool(), refused.isEmpty());
    if (!refused.isEmpty())
        QVERIFY2(answer.json().value("error").toString().startsWith(refused), answer.body.constData());
    const HttpResult feed = service.get("krl/update/client/");
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(feed.body, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject linux = document.object().value("updates").toObject().value("linux").toObject();
    QCOMPARE(linux.value("latest-version").toString(), version);
    const QJsonValue flag = linux.value("mandatory-update");
    QCOMPARE(flag.isUndefined() ? QString("absent") : flag.toBool() ? QString("true") : QString("false"), mandatory);
    const QJsonObject account = service.postForm("api/v3/auth/login/", {{"user_name", "demo"}, {"password", "demo"}})
                                    .json();
    QCOMPARE(account.value("check_char_max").toInt(), charMax);
}

void TestLimits::unservedHeadsAreAnsweredAtOnce_data()
{
    QTest::addColumn<QByteArray>("head");      // all that is sent: no body follows
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<bool>("closed");
    const QByteArray post = "POST /api/v3/auth/ HTTP/1.1\r\nHost: a\r\n";
    QTest::newRow("expecting continue") << post + "Expect: 100-continue\r\nContent-Length: 10\r\n\r\n"
                                        << QByteArray("417") << true;
    QTest::newRow("another expectation") << post + "expect: later\r\nContent-Length: 10\r\n\r\n"
                                         << QByteArray("417") << true;
    QTest::newRow("unknown coding") << post + "Transfer-Encoding: gzip\r\n\r\n" << QByteArray("501") << true;
    QTest::newRow("coding list") << post + "Transfer-Encoding: gzip, chunked\r\n\r\n" << QByteArray("501") << true;
    QTest::newRow("two coding headers") << post + "Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n\r\n"
                                        << QByteArray("501") << true;
    QTest::newRow("chunked") << post + "transfer-encoding: Chunked\r\n\r\n" << QByteArray("411") << true;
    QTest::newRow("body over the limit") << post + "Content-Length: 4097\r\n\r\n" << QByteArray("413") << true;
    QTest::newRow("length beyond any number") << post + "Content-Length: 99999999999999999999999\r\n\r\n"
                                              << QByteArray("413") << true;
    QTest::newRow("length no number") << post + "Content-Length: 12a\r\n\r\n" << QByteArray("400") << true;
    QTest::newRow("lengths that differ") << post + "Content-Length: 3\r\nContent-Length: 4\r\n\r\nabcd"
                                         << QByteArray("400") << true;
    QTest::newRow("head ended by LF") << QByteArray("GET /api/v3/is-domain-ok/ HTTP/1.1\nHost: a\n\n")
                                      << QByteArray("200") << false;
    QTest::newRow("LF head with a body") << QByteArray("POST /api/v3/auth/ HTTP/1.1\nHost: a\nContent-Length: 3\n\na=b")
                                         << QByteArray("200") << false;
    QTest::newRow("headers ended by LF") << post + "X-A: b\n\n" << QByteArray("200") << false;
    QTest::newRow("mixed line ends") << post + "X-A: b\n\r\n" << QByteArray("200") << false;
    // The first request is answered; the next one, on the same connection, is refused.
    QTest::newRow("expectation after a served request")
        << QByteArray("GET /api/v3/is-domain-ok/ HTTP/1.1\r\nHost: a\r\n\r\n") + post
               + "Expect: 100-continue\r\nContent-Length: 10\r\n\r\n"
        << QByteArray("200") << true;
}

void TestLimits::unservedHeadsAreAnsweredAtOnce()
{
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, status);
    QFETCH(bool, closed);
    ServiceOptions options;
    options.maxBody = 4096;
    ServiceFixture service(options);
    QVERIFY(service.started);
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", quint16(service.server->port()));
    QVERIFY(socket.waitForConnected(5000));
    socket.write(head);
    QByteArray answer;
    // Well inside the five seconds a worker would wait for the rest.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2500 && !answer.contains("\r\n\r\n")) {
        socket.waitForReadyRead(100);
        answer += socket.readAll();
    }
    QVERIFY2(answer.startsWith("HTTP/1.1 " + status + " "), answer.constData());
    // A refused request's connection ends; a served one stays for the next request.
    if (closed) {
        QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, 2500);
        answer += socket.readAll();
        QVERIFY(answer.contains("Connection: close"));
        // Served first and closed all the same: the refusal of the request after it follows.
        if (status == "200")
            QVERIFY2(answer.contains("HTTP/1.1 417 "), answer.constData());
    } else {
        QVERIFY(!answer.contains("Connection: close"));
    }
}

void TestLimits::slowConnectionsLeaveWorkersFree_data()
{
    QTest::addColumn<QByteArray>("start");   // sent at once; a byte follows now and then
    QTest::newRow("dripping head") << QByteArray("POST /api/v3/is-domain-ok/ HTTP/1.1\r\nX-Slow: ");
    QTest::newRow("dripping body")
        << QByteArray("POST /api/v3/is-domain-ok/ HTTP/1.1\r\nHost: a\r\nContent-Length: 1000\r\n\r\na=");
    // Heads the service will not read a body for, dripping one all the same.
    QTest::newRow("expecting continue")
        << QByteArray("POST /api/v3/is-domain-ok/ HTTP/1.1\r\nExpect: 100-continue\r\nContent-Length: 1000\r\n\r\n");
    QTest::newRow("unknown coding")
        << QByteArray("POST /api/v3/is-domain-ok/ HTTP/1.1\r\nTransfer-Encoding: gzip\r\n\r\n");
    QTest::newRow("body over the limit")
        << QByteArray("POST /api/v3/is-domain-ok/ HTTP/1.1\r\nContent-Length: 2000000\r\n\r\na=");
    // Served at once; what drips after it is the start of a next request.
    QTest::newRow("head ended by LF") << QByteArray("POST /api/v3/is-domain-ok/ HTTP/1.1\r\nHost: a\n\n");
}

void TestLimits::slowConnectionsLeaveWorkersFree()
{
    QFETCH(QByteArray, start);
    ServiceFixture service;
    QVERIFY(service.started);
    const QString token = service.login("demo", "demo");
    // More slow connections than the service has workers, each kept alive by a byte at a time.
    std::vector<std::unique_ptr<QTcpSocket>> slow;
    for (int i = 0; i < 40; ++i) {
        slow.push_back(std::make_unique<QTcpSocket>());
        slow.back()->connectToHost("127.0.0.1", quint16(service.server->port()));
        QVERIFY(slow.back()->waitForConnected(5000));
        slow.back()->write(start);
        QVERIFY(slow.back()->waitForBytesWritten(5000));
    }
    QTimer drip;
    QObject::connect(&drip, &QTimer::timeout, [&slow] {
        for (auto& socket : slow)
            socket->write("a");
    });
    drip.start(200);
    // Give the service the time to take every slow connection up.
    QTest::qWait(500);
    const HttpResult answer = service.check(token, "他门");
    QVERIFY(answer.finished);
    QCOMPARE(answer.json().value("check_data").toArray().size(), 1);
}

void TestLimits::unfinishedRequestsShareOneBound_data()
{
    QTest::addColumn<int>("connections");
    QTest::addColumn<int>("open");
    // Each announces the largest body and sends half of it; three fit under the bound.
    QTest::newRow("within the bound") << 3 << 3;
    QTest::newRow("over the bound") << 7 << 3;
}

void TestLimits::unfinishedRequestsShareOneBound()
{
    QFETCH(int, connections);
    QFETCH(int, open);
    ServiceOptions options;
    options.maxBody = 64 * 1024;
    options.maxPending = 256 * 1024;
    ServiceFixture service(options);
    QVERIFY(service.started);
    const QByteArray head = "POST /api/v3/auth/ HTTP/1.1\r\nHost: a\r\nContent-Length: 65536\r\n\r\n";
    std::vector<std::unique_ptr<QTcpSocket>> waiting;
    for (int i = 0; i < connections; ++i) {
        waiting.push_back(std::make_unique<QTcpSocket>());
        waiting.back()->connectToHost("127.0.0.1", quint16(service.server->port()));
        QVERIFY(waiting.back()->waitForConnected(5000));
        waiting.back()->write(head + QByteArray(32 * 1024, 'a'));
        QVERIFY(waiting.back()->waitForBytesWritten(5000));
    }
    const auto ended = [&waiting] {
        int count = 0;
        for (auto& socket : waiting) {
            socket->waitForReadyRead(10);
            count += socket->state() == QAbstractSocket::UnconnectedState;
        }
        return count;
    };
    QTRY_COMPARE_WITH_TIMEOUT(ended(), connections - open, 5000);
    QTcpSocket* kept = nullptr;
    for (auto& socket : waiting) {
        if (socket->state() == QAbstractSocket::UnconnectedState)
            QVERIFY(socket->readAll().startsWith("HTTP/1.1 503 "));
        else
            kept = socket.get();
    }
    // A request that arrives whole is served beside them, and so is the rest of a kept one.
    QCOMPARE(service.post("api/v3/is-domain-ok/", "n=1").status, 200);
    QVERIFY(kept);
    kept->write(QByteArray(32 * 1024, 'a'));
    QByteArray answer;
    QTRY_VERIFY_WITH_TIMEOUT((answer += kept->readAll()).contains("\r\n\r\n"), 5000);
    QVERIFY2(answer.startsWith("HTTP/1.1 200 "), answer.constData());
}

void TestLimits::listeningQueueIsTheSystems()
{
    ServiceFixture service;
    QVERIFY(service.started);
    QFile limit("/proc/sys/net/core/somaxconn");
    QVERIFY(limit.open(QIODevice::ReadOnly));
    const int expected = std::min(SOMAXCONN, limit.readAll().trimmed().toInt());
    QProcess ss;
    ss.start("ss", {"-ltnH", QString("sport = :%1").arg(service.server->port())});
    if (!ss.waitForFinished(5000) || ss.exitCode() != 0)
        QSKIP("ss cannot list the listening sockets here");
    // State, Recv-Q, Send-Q (the queue's size for a listening socket), addresses.
    const QList<QByteArray> columns = ss.readAllStandardOutput().simplified().split(' ');
    QVERIFY(columns.size() >= 3);
    QCOMPARE(columns.at(2).toInt(), expected);
}

QTEST_GUILESS_MAIN(TestLimits)
#include "tst_limits.moc"
