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
    void configRefusesWhatTheFeedCannotCarry_data();
    void configRefusesWhatTheFeedCannotCarry();
    void slowConnectionsLeaveWorkersFree_data();
    void slowConnectionsLeaveWorkersFree();
    void listeningQueueIsTheSystems();
};

void TestLimits::requestLogKeepsOnlyTheLatest_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<bool>("control");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QVector<int>>("kept");   // sequence numbers
    QTest::newRow("oldest dropped") << 3 << true << 5 << QVector<int>{3, 4, 5};
    QTest::newRow("room to spare") << 10 << true << 2 << QVector<int>{1, 2};
    QTest::newRow("none asked for") << 0 << true << 3 << QVector<int>{};
    QTest::newRow("nobody can read it") << 256 << false << 3 << QVector<int>{};
}

void TestLimits::requestLogKeepsOnlyTheLatest()
{
    QFETCH(int, capacity);
    QFETCH(bool, control);
    QFETCH(int, sent);
    QFETCH(QVector<int>, kept);
    ServiceOptions options;
    options.requestLogSize = size_t(capacity);
    options.control = control;
    ServiceFixture service(options);
    QVERIFY(service.started);
    for (int i = 0; i < sent; ++i)
        QCOMPARE(service.post("api/v3/is-domain-ok/", "n=" + QByteArray::number(i)).status, 200);
    QVector<int> seqs;
    for (const LoggedRequest& entry : service.server->core().requestLog().entries())
        seqs << entry.seq;
    QCOMPARE(seqs, kept);
    if (control)
        QCOMPARE(QJsonDocument::fromJson(service.get("control/requests").body).array().size(), kept.size());
}

void TestLimits::configRefusesWhatTheFeedCannotCarry_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("version");   // the feed's afterwards
    QTest::newRow("version not UTF-8") << QByteArray("update_version=3.%88") << 400 << "3.5";
    QTest::newRow("address not UTF-8") << QByteArray("update_version=4&update_open_url=http://a/%FF") << 400
                                       << "3.5";
    QTest::newRow("UTF-8 version") << QByteArray("update_version=%E7%89%88") << 200 << QString::fromUtf8("版");
    QTest::newRow("size beyond the bound") << QByteArray("update_version=4&update_size=268435457") << 400 << "3.5";
    QTest::newRow("negative size") << QByteArray("update_size=-1") << 400 << "3.5";
    QTest::newRow("size not a number") << QByteArray("update_size=1M") << 400 << "3.5";
    QTest::newRow("plain size") << QByteArray("update_version=4&update_size=70001") << 200 << "4";
}

void TestLimits::configRefusesWhatTheFeedCannotCarry()
{
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    QFETCH(QString, version);
    ServiceFixture service;
    QVERIFY(service.started);
    QCOMPARE(service.post("control/config", body).status, status);
    const HttpResult feed = service.get("krl/update/client/");
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(feed.body, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(document.object().value("updates").toObject().value("linux").toObject().value("latest-version").toString(),
             version);
}

void TestLimits::slowConnectionsLeaveWorkersFree_data()
{
    QTest::addColumn<QByteArray>("start");   // sent at once; a byte follows now and then
    QTest::newRow("dripping head") << QByteArray("POST /api/v3/is-domain-ok/ HTTP/1.1\r\nX-Slow: ");
    QTest::newRow("dripping body")
        << QByteArray("POST /api/v3/is-domain-ok/ HTTP/1.1\r\nHost: a\r\nContent-Length: 1000\r\n\r\na=");
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
