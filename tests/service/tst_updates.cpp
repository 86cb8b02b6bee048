#include "servicefixture.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QtTest>

using Fields = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Fields)

// The update feed and the file it names, as the updater reads them.
class TestUpdates : public QObject
{
    Q_OBJECT

private slots:
    void feedUnderEveryRoot_data();
    void feedUnderEveryRoot();
    void configShapesTheFeed_data();
    void configShapesTheFeed();
    void fileMatchesItsChecksum_data();
    void fileMatchesItsChecksum();
    void misbehaviourReachesUpdates_data();
    void misbehaviourReachesUpdates();
    void onlyGetIsServed();

private:
    static QJsonObject entry(const HttpResult& feed, const QString& platform)
    {
        return feed.json().value("updates").toObject().value(platform).toObject();
    }
    HttpResult getFollowing(ServiceFixture& service, const QString& path)
    {
        return service.send(QNetworkRequest(QUrl(service.root() + path)), nullptr, true, 10000);
    }
};

void TestUpdates::feedUnderEveryRoot_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::newRow("bare root") << "";
    QTest::newRow("site 0 with a query") << "site0/";
    QTest::newRow("site 3") << "site3/";
    QTest::newRow("moved") << "moved/";
}

void TestUpdates::feedUnderEveryRoot()
{
    QFETCH(QString, prefix);
    ServiceFixture service;
    QVERIFY(service.started);
    const HttpResult feed = service.get(prefix + "krl/update/client/?client_id=client&client_ver=3.5");
    QCOMPARE(feed.status, 200);
    const QJsonObject linux = entry(feed, "linux");
    const QJsonObject windows = entry(feed, "windows");
    QCOMPARE(linux.value("latest-version").toString(), QString("3.5"));
    QCOMPARE(linux.value("download-url").toString(), service.root() + "krl/update/files/korrelo-3.5.bin");
    QCOMPARE(linux.value("open-url").toString(), QString());
    QCOMPARE(linux.value("mandatory-update"), QJsonValue(false));
    QCOMPARE(linux.value("sha256").toString().size(), 64);
    for (const QString& key : linux.keys())
        QVERIFY2(linux.value(key) != windows.value(key), qPrintable(key));
    const QJsonObject logged = QJsonDocument::fromJson(QByteArray::fromStdString(
                                   service.server->core().requestLog().toJsonArray())).array().last().toObject();
    QCOMPARE(logged.value("kind").toString(), QString("update-feed"));
}

void TestUpdates::configShapesTheFeed_data()
{
    QTest::addColumn<Fields>("config");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("openUrl");
    QTest::addColumn<QJsonValue>("mandatory");
    QTest::newRow("defaults") << Fields{} << "3.5" << "" << QJsonValue(false);
    QTest::newRow("newer, mandatory")
        << Fields{{"update_version", "3.6"}, {"update_mandatory", "true"}} << "3.6" << "" << QJsonValue(true);
    QTest::newRow("mandatory left out") << Fields{{"update_mandatory", ""}} << "3.5" << "" << QJsonValue(QJsonValue::Undefined);
    QTest::newRow("open page")
        << Fields{{"update_open_url", "https://example.org/get"}} << "3.5" << "https://example.org/get"
        << QJsonValue(false);
}

void TestUpdates::configShapesTheFeed()
{
    QFETCH(Fields, config);
    QFETCH(QString, version);
    QFETCH(QString, openUrl);
    QFETCH(QJsonValue, mandatory);
    ServiceFixture service;
    QVERIFY(service.started);
    QCOMPARE(service.control("config", config).status, 200);
    const QJsonObject linux = entry(service.get("krl/update/client/"), "linux");
    QCOMPARE(linux.value("latest-version").toString(), version);
    QVERIFY(linux.value("download-url").toString().endsWith("/korrelo-" + version + ".bin"));
    QCOMPARE(linux.value("open-url").toString(), openUrl);
    QCOMPARE(linux.contains("mandatory-update"), !mandatory.isUndefined());
    QCOMPARE(linux.value("mandatory-update"), mandatory);
    // A reset brings the start-up feed back.
    QCOMPARE(service.control("reset").status, 200);
    QCOMPARE(entry(service.get("krl/update/client/"), "linux").value("latest-version").toString(), QString("3.5"));
}

void TestUpdates::fileMatchesItsChecksum_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("hasLength");
    QTest::newRow("default size") << "" << "" << true;
    QTest::newRow("odd size") << "70001" << "" << true;
    QTest::newRow("empty") << "0" << "" << true;
    QTest::newRow("chunked") << "200000" << "?chunked=1" << false;
    QTest::newRow("paced") << "30000" << "?rate=100000" << true;
}

void TestUpdates::fileMatchesItsChecksum()
{
    QFETCH(QString, size);
    QFETCH(QString, query);
    QFETCH(bool, hasLength);
    ServiceFixture service;
    QVERIFY(service.started);
    if (!size.isEmpty())
        QCOMPARE(service.control("config", {{"update_size", size}}).status, 200);
    const QJsonObject linux = entry(service.get("krl/update/client/"), "linux");
    const QString path = QUrl(linux.value("download-url").toString()).path().mid(1);
    QNetworkReply* reply = service.manager.get(QNetworkRequest(QUrl(service.root() + path + query)));
    QEventLoop loop;
    connect(reply, &QNetworkReply::metaDataChanged, &loop, &QEventLoop::quit);
    loop.exec();
    QCOMPARE(reply->header(QNetworkRequest::ContentLengthHeader).isValid(), hasLength);
    const HttpResult file = ServiceFixture::wait(reply, 10000);
    QCOMPARE(file.status, 200);
    QCOMPARE(file.body.size(), size.isEmpty() ? 1024 * 1024 : size.toInt());
    QCOMPARE(QString(QCryptographicHash::hash(file.body, QCryptographicHash::Sha256).toHex()),
             linux.value("sha256").toString());
    // Any name gets the same bytes.
    QCOMPARE(service.get("krl/update/files/other.bin").body, file.body);
}

// Qt does not always report a connection closed before the promised length; the short body tells.
const auto kNotChecked = QNetworkReply::UnknownNetworkError;

void TestUpdates::misbehaviourReachesUpdates_data()
{
    QTest::addColumn<Fields>("rule");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("bodySize");
    QTest::addColumn<QNetworkReply::NetworkError>("error");
    QTest::newRow("feed text") << Fields{{"target", "update-feed"}, {"mode", "body"}, {"body", "[1]"}}
                               << "krl/update/client/" << 200 << 3 << QNetworkReply::NoError;
    QTest::newRow("file 404") << Fields{{"target", "update-file"}, {"mode", "status"}, {"status", "404"}}
                              << "krl/update/files/a.bin" << 404 << 10 << QNetworkReply::ContentNotFoundError;
    QTest::newRow("file dropped halfway") << Fields{{"target", "update-file"}, {"mode", "drop"}}
                                          << "krl/update/files/a.bin" << 200 << 512 * 1024
                                          << kNotChecked;
    QTest::newRow("file redirected, followed") << Fields{{"target", "update-file"}, {"mode", "redirect"}}
                                               << "krl/update/files/a.bin" << 200 << 1024 * 1024
                                               << QNetworkReply::NoError;
    QTest::newRow("relative redirect") << Fields{{"target", "update-feed"}, {"mode", "redirect"},
                                                 {"location", "../client/"}, {"count", "1"}}
                                       << "site1/krl/update/client/" << 200 << -1 << QNetworkReply::NoError;
    QTest::newRow("redirect loop") << Fields{{"target", "update-feed"}, {"mode", "redirect"},
                                             {"location", "/krl/update/client/"}}
                                   << "krl/update/client/" << 307 << 0 << QNetworkReply::TooManyRedirectsError;
}

void TestUpdates::misbehaviourReachesUpdates()
{
    QFETCH(Fields, rule);
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(int, bodySize);
    QFETCH(QNetworkReply::NetworkError, error);
    ServiceFixture service;
    QVERIFY(service.started);
    QCOMPARE(service.control("misbehave", rule).status, 200);
    const HttpResult result = getFollowing(service, path);
    if (error != kNotChecked)
        QCOMPARE(result.error, error);
    QCOMPARE(result.status, status);
    if (bodySize >= 0)
        QCOMPARE(result.body.size(), bodySize);
    else
        QVERIFY(result.json().contains("updates"));
}

void TestUpdates::onlyGetIsServed()
{
    ServiceFixture service;
    QVERIFY(service.started);
    const HttpResult posted = service.post("krl/update/client/", "a=1");
    QCOMPARE(posted.status, 405);
    QCOMPARE(service.get("krl/update/files/").status, 404);
}

QTEST_GUILESS_MAIN(TestUpdates)
#include "tst_updates.moc"
