#include <QJsonArray>
#include <QSettings>

#include "checkerclient.h"
#include "downloader.h"
#include "updatecenter.h"
#include "updater.h"
#include "updatefixture.h"

using Rules = QVector<Fields>;
Q_DECLARE_METATYPE(Rules)
Q_DECLARE_METATYPE(Fields)

// The update check against the local service's feed: what is read, what is offered, and what a
// "yes" or "no" leads to.
class TestUpdater : public UpdateFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(startFixture()); }
    void init() { resetFixture(); }
    void cleanupTestCase() { stopFixture(); }

    void versionRule_data();
    void versionRule();
    void feedIsReadAndOffered_data();
    void feedIsReadAndOffered();
    void requestCarriesAgentAndAddress();
    void hangEndsAsNoUpdate();
    void finishNoticeWhenAsked();
    void secondCallWhileCheckingIsIgnored();
    void missingMandatoryKeyFallsBackToSetting();
    void answers_data();
    void answers();
    void facadeKeepsOneUpdaterPerUrl();
    void onlyPermanentRedirectsStick_data();
    void onlyPermanentRedirectsStick();
    void certificates_data();
    void certificates();

private:
    QString feedUrl() const { return service.root() + "krl/update/client/?client_id=client&client_ver=3.5"; }
    // One updater's check to its end.
    bool check(Updater& updater)
    {
        QSignalSpy finished(&updater, &Updater::checkingFinished);
        updater.checkForUpdates();
        return finished.wait(15000) && finished.size() == 1;
    }
    std::unique_ptr<Updater> makeUpdater(const QString& url)
    {
        auto updater = std::make_unique<Updater>();
        updater->setUrl(url);
        updater->setModuleName("Korrelo");
        updater->setModuleVersion("3.5");
        updater->downloader()->setDownloadDir(folder->path());
        return updater;
    }
};

void TestUpdater::versionRule_data()
{
    QTest::addColumn<QString>("latest");
    QTest::addColumn<QString>("installed");
    QTest::addColumn<bool>("newer");
    QTest::newRow("3.6 over 3.5") << "3.6" << "3.5" << true;
    QTest::newRow("same") << "3.5" << "3.5" << false;
    QTest::newRow("more parts") << "3.5.0" << "3.5" << true;
    QTest::newRow("fewer parts") << "3.5" << "3.5.0" << false;
    QTest::newRow("numbers, not text") << "3.10" << "3.9" << true;
    QTest::newRow("non-number counts 0") << "3.x" << "3.0" << false;
    QTest::newRow("older") << "3.4.9" << "3.5" << false;
    QTest::newRow("empty is never newer") << "" << "3.5" << false;
    QTest::newRow("major wins") << "4" << "3.99.99" << true;
}

void TestUpdater::versionRule()
{
    QFETCH(QString, latest);
    QFETCH(QString, installed);
    QFETCH(bool, newer);
    QCOMPARE(Updater::isNewerVersion(latest, installed), newer);
}

void TestUpdater::feedIsReadAndOffered_data()
{
    QTest::addColumn<Fields>("config");
    QTest::addColumn<Rules>("rules");
    QTest::addColumn<QString>("offered");      // the box's text, empty: no box
    QTest::addColumn<QString>("latest");
    QTest::addColumn<bool>("downloadIsWeb");
    const QString offer36 = "<h3>Version 3.6 of Korrelo has been released!</h3>";
    auto body = [](const QString& text) { return Rules{{{"target", "update-feed"}, {"mode", "body"}, {"body", text}}}; };
    QTest::newRow("newer version offered") << Fields{{"update_version", "3.6"}} << Rules{} << offer36 << "3.6" << true;
    QTest::newRow("same version, silent") << Fields{} << Rules{} << "" << "3.5" << true;
    QTest::newRow("3.5.0 is newer") << Fields{{"update_version", "3.5.0"}} << Rules{}
                                    << "<h3>Version 3.5.0 of Korrelo has been released!</h3>" << "3.5.0" << true;
    QTest::newRow("no updates object") << Fields{} << body("{\"other\":{}}") << "" << "" << false;
    QTest::newRow("only a windows entry")
        << Fields{} << body("{\"updates\":{\"windows\":{\"latest-version\":\"9\"}}}") << "" << "" << false;
    QTest::newRow("wrong types")
        << Fields{} << body("{\"updates\":{\"linux\":{\"latest-version\":9,\"download-url\":[1]}}}") << "" << ""
        << false;
    QTest::newRow("not JSON") << Fields{} << body("<html>") << "" << "3.5" << true;
    QTest::newRow("HTTP 500") << Fields{} << Rules{{{"target", "update-feed"}, {"mode", "status"}}} << "" << "3.5"
                              << true;
    QTest::newRow("markup shown as text")
        << Fields{} << body("{\"updates\":{\"linux\":{\"latest-version\":\"4.<img src=x>\"}}}")
        << "<h3>Version 4.&lt;img src=x&gt; of Korrelo has been released!</h3>" << "4.<img src=x>" << false;
    QTest::newRow("file address is no download")
        << Fields{} << body("{\"updates\":{\"linux\":{\"latest-version\":\"9\",\"download-url\":\"file:///etc/x\"}}}")
        << "<h3>Version 9 of Korrelo has been released!</h3>" << "9" << false;
    QTest::newRow("relative redirect")
        << Fields{{"update_version", "3.6"}}
        << Rules{{{"target", "update-feed"}, {"mode", "redirect"}, {"location", "../client/?moved=1"}, {"count", "1"}}}
        << offer36 << "3.6" << true;
    QTest::newRow("absolute redirect")
        << Fields{{"update_version", "3.6"}} << Rules{{{"target", "update-feed"}, {"mode", "redirect"}}} << offer36
        << "3.6" << true;
    // A feed too large to be a real one fails whole, though a valid feed follows the blanks.
    QTest::newRow("oversized feed")
        << Fields{} << body(QString(270000, ' ') + "{\"updates\":{\"linux\":{\"latest-version\":\"9\"}}}") << ""
        << "3.5" << true;
    const QString sha = "{\"updates\":{\"linux\":{\"latest-version\":\"9\",\"download-url\":\"http://a/b\",\"sha256\":%1}}}";
    QTest::newRow("empty checksum") << Fields{} << body(sha.arg("\"\"")) << "" << "" << false;
    QTest::newRow("checksum a number") << Fields{} << body(sha.arg("12345")) << "" << "" << false;
    QTest::newRow("checksum too short") << Fields{} << body(sha.arg("\"" + QString(63, 'a') + "\"")) << "" << ""
                                        << false;
    QTest::newRow("checksum not hex") << Fields{} << body(sha.arg("\"" + QString(64, 'g') + "\"")) << "" << ""
                                      << false;
    QTest::newRow("empty feed") << Fields{{"update_version", "3.6"}} << body("") << "" << "3.5" << true;
    QTest::newRow("feed cut halfway")
        << Fields{{"update_version", "3.6"}} << Rules{{{"target", "update-feed"}, {"mode", "drop"}}} << "" << "3.5"
        << true;
    QTest::newRow("checksum null") << Fields{} << body(sha.arg("null")) << "" << "" << false;
    QTest::newRow("checksum of 64 hex digits")
        << Fields{} << body(sha.arg("\"" + QString(64, 'A') + "\""))
        << "<h3>Version 9 of Korrelo has been released!</h3>" << "9" << false;
    QTest::newRow("redirect to an invalid host")
        << Fields{{"update_version", "3.6"}}
        << Rules{{{"target", "update-feed"}, {"mode", "redirect"}, {"location", "//bad host/feed"}}} << "" << "3.5"
        << true;
    QTest::newRow("redirect loop ends")
        << Fields{{"update_version", "3.6"}}
        << Rules{{{"target", "update-feed"}, {"mode", "redirect"}, {"location", "/krl/update/client/"}}} << ""
        << "3.5" << true;
}

void TestUpdater::feedIsReadAndOffered()
{
    QFETCH(Fields, config);
    QFETCH(Rules, rules);
    QFETCH(QString, offered);
    QFETCH(QString, latest);
    QFETCH(bool, downloadIsWeb);
    // A first, plain check leaves values a broken feed must overwrite.
    auto updater = makeUpdater(feedUrl());
    defaultAnswer = QMessageBox::No;
    QVERIFY(check(*updater));
    QVERIFY(service.control("config", config));
    for (const Fields& rule : rules)
        QVERIFY(service.misbehave(rule));
    boxes.clear();
    QVERIFY(check(*updater));
    QCOMPARE(boxes.size(), offered.isEmpty() ? 0 : 1);
    if (!offered.isEmpty()) {
        QCOMPARE(boxes.first().text, offered);
        QCOMPARE(boxes.first().informative, QString("Would you like to download the update now?"));
        QCOMPARE(boxes.first().buttons, QMessageBox::Yes | QMessageBox::No);
    }
    QCOMPARE(updater->updateAvailable(), !offered.isEmpty());
    QCOMPARE(updater->latestVersion(), latest);
    // Whatever the redirects, the updater keeps an address to ask next time.
    QVERIFY(QUrl(updater->url()).isValid() && !updater->url().isEmpty());
    QCOMPARE(updater->downloadUrl().startsWith(service.root()), downloadIsWeb);
    QVERIFY(quits.isEmpty());
    QVERIFY(!updater->downloader()->isVisible());
}

void TestUpdater::requestCarriesAgentAndAddress()
{
    auto updater = makeUpdater(feedUrl());
    QVERIFY(check(*updater));
    const QJsonObject request = service.lastOf("update-feed");
    QCOMPARE(request.value("user_agent").toString(),
             QString("%1/%2 (Qt; UpdateCenter)").arg(QCoreApplication::applicationName(),
                                                     QCoreApplication::applicationVersion()));
    QCOMPARE(request.value("method").toString(), QString("GET"));
    QCOMPARE(request.value("path").toString(), QString("/krl/update/client/"));
    QCOMPARE(updater->platformKey(), QString("linux"));
    // The address the client builds for its feed carries the account query.
    qputenv("KORRELO_SERVICE_ROOTS", service.sites().toUtf8());
    const QString address = getCheckerClient()->getWebUrl(URL_UPDATE, QString());
    QVERIFY2(address.startsWith(service.root() + "site0/krl/update/client/?client_id="), qPrintable(address));
}

void TestUpdater::hangEndsAsNoUpdate()
{
    QVERIFY(service.misbehave({{"target", "update-feed"}, {"mode", "hang"}}));
    auto updater = makeUpdater(feedUrl());
    updater->setNotifyOnFinish(false);
    updater->setTransferTimeout(300);
    QVERIFY(check(*updater));
    QVERIFY(boxes.isEmpty());
    QVERIFY(!updater->updateAvailable());
    QVERIFY(!updater->isChecking());
    QVERIFY(service.control("release"));
}

void TestUpdater::finishNoticeWhenAsked()
{
    auto updater = makeUpdater(feedUrl());
    updater->setModuleName("<i>K</i>");
    updater->setNotifyOnFinish(true);
    QVERIFY(check(*updater));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, QString("<h3>Congratulations! You are running the latest version of &lt;i&gt;K&lt;/i&gt;</h3>"));
    QCOMPARE(boxes.first().buttons, QMessageBox::Close);
}

void TestUpdater::secondCallWhileCheckingIsIgnored()
{
    QVERIFY(service.control("config", {{"update_version", "3.6"}}));
    QVERIFY(service.misbehave({{"target", "update-feed"}, {"mode", "delay"}, {"ms", "300"}}));
    auto updater = makeUpdater(feedUrl());
    defaultAnswer = QMessageBox::No;
    QSignalSpy finished(updater.get(), &Updater::checkingFinished);
    updater->checkForUpdates();
    updater->checkForUpdates();
    QVERIFY(finished.wait(10000));
    QTest::qWait(500);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(service.requestsOf("update-feed").size(), 1);
}

void TestUpdater::missingMandatoryKeyFallsBackToSetting()
{
    auto updater = makeUpdater(feedUrl());
    defaultAnswer = QMessageBox::No;
    QVERIFY(service.control("config", {{"update_version", "3.6"}, {"update_mandatory", "true"}}));
    QVERIFY(check(*updater));
    QVERIFY(updater->mandatoryUpdate());
    QCOMPARE(quits.size(), 1);
    QVERIFY(service.control("config", {{"update_mandatory", ""}}));
    QVERIFY(check(*updater));
    QVERIFY(!updater->mandatoryUpdate());
    QCOMPARE(quits.size(), 1);
    updater->setMandatoryUpdate(true);
    QVERIFY(check(*updater));
    QVERIFY(updater->mandatoryUpdate());
    QCOMPARE(boxes.last().informative, QString("Would you like to download the update now? This is a mandatory "
                                               "update, exiting now will close the application"));
    QCOMPARE(quits.size(), 2);
}

void TestUpdater::answers_data()
{
    QTest::addColumn<Fields>("config");
    QTest::addColumn<bool>("downloaderEnabled");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("openedPath");   // the path of the one URL handed to the browser
    QTest::addColumn<bool>("downloading");
    QTest::addColumn<int>("quitCount");
    const Fields newer{{"update_version", "3.6"}};
    QTest::newRow("yes downloads") << newer << true << int(QMessageBox::Yes) << "" << true << 0;
    QTest::newRow("yes with a page opens it only")
        << newer + Fields{{"update_open_url", "https://example.org/get"}} << true << int(QMessageBox::Yes) << "/get"
        << false << 0;
    QTest::newRow("yes without downloader opens the file address")
        << newer << false << int(QMessageBox::Yes) << "/krl/update/files/korrelo-3.6.bin" << false << 0;
    QTest::newRow("no does nothing") << newer << true << int(QMessageBox::No) << "" << false << 0;
    QTest::newRow("no to a mandatory update quits")
        << newer + Fields{{"update_mandatory", "true"}} << true << int(QMessageBox::No) << "" << false << 1;
    QTest::newRow("page from the feed must be web")
        << newer + Fields{{"update_open_url", "javascript:alert(1)"}} << false << int(QMessageBox::Yes)
        << "/krl/update/files/korrelo-3.6.bin" << false << 0;
}

void TestUpdater::answers()
{
    QFETCH(Fields, config);
    QFETCH(bool, downloaderEnabled);
    QFETCH(int, answer);
    QFETCH(QString, openedPath);
    QFETCH(bool, downloading);
    QFETCH(int, quitCount);
    QVERIFY(service.control("config", config));
    auto updater = makeUpdater(feedUrl());
    updater->setDownloaderEnabled(downloaderEnabled);
    replies = {answer, QMessageBox::Cancel};
    QSignalSpy downloaded(updater.get(), &Updater::downloadFinished);
    QVERIFY(check(*updater));
    QCOMPARE(opened.size(), openedPath.isEmpty() ? 0 : 1);
    if (!openedPath.isEmpty())
        QCOMPARE(opened.first().path(), openedPath);
    QCOMPARE(updater->downloader()->isDownloading(), downloading);
    QCOMPARE(quits.size(), quitCount);
    if (!downloading)
        return;
    QVERIFY(downloaded.wait(15000));
    const QString path = downloaded.first().at(1).toString();
    QCOMPARE(downloaded.first().at(0).toString(), feedUrl());
    QCOMPARE(path, QDir(folder->path()).filePath("korrelo-3.6.bin"));
    QCOMPARE(sha256Of(path), feedEntry().value("sha256").toString());
}

void TestUpdater::facadeKeepsOneUpdaterPerUrl()
{
    UpdateCenter* center = UpdateCenter::getInstance();
    QCOMPARE(UpdateCenter::getInstance(), center);
    const QString first = feedUrl();
    const QString second = service.site(1) + "krl/update/client/";
    center->setModuleVersion(first, "3.5");
    center->setModuleName(first, "Korrelo");
    center->setNotifyOnUpdate(first, false);
    QCOMPARE(center->updaterOf(first), center->updaterOf(first));
    QVERIFY(center->updaterOf(first) != center->updaterOf(second));
    QCOMPARE(center->getNotifyOnUpdate(second), true);
    QCOMPARE(center->getPlatformKey(second), QString("linux"));
    QVERIFY(service.control("config", {{"update_version", "3.6"}}));
    QVERIFY(service.misbehave({{"target", "update-feed"}, {"mode", "redirect"}, {"status", "301"}}));
    QSignalSpy finished(center, &UpdateCenter::checkingFinished);
    center->checkForUpdates(first);
    QVERIFY(finished.wait(10000));
    // The relayed signal names where the feed was found; the facade still files it under the first.
    QVERIFY(finished.first().first().toString().startsWith(service.root() + "moved/"));
    QCOMPARE(center->getLatestVersion(first), QString("3.6"));
    QVERIFY(center->getUpdateAvailable(first));
    QVERIFY(boxes.isEmpty());
}

void TestUpdater::onlyPermanentRedirectsStick_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("sticks");
    QTest::newRow("301 moved permanently") << 301 << true;
    QTest::newRow("302 found") << 302 << false;
    QTest::newRow("303 see other") << 303 << false;
    QTest::newRow("307 temporary") << 307 << false;
    QTest::newRow("308 permanent") << 308 << true;
}

void TestUpdater::onlyPermanentRedirectsStick()
{
    QFETCH(int, status);
    QFETCH(bool, sticks);
    QVERIFY(service.control("config", {{"update_version", "3.6"}}));
    QVERIFY(service.misbehave(
        {{"target", "update-feed"}, {"mode", "redirect"}, {"status", QString::number(status)}, {"count", "1"}}));
    auto updater = makeUpdater(feedUrl());
    defaultAnswer = QMessageBox::No;
    QSignalSpy finished(updater.get(), &Updater::checkingFinished);
    QVERIFY(check(*updater));
    QCOMPARE(updater->latestVersion(), QString("3.6"));
    const QString moved = service.root() + "moved/krl/update/client/?client_id=client&client_ver=3.5";
    QCOMPARE(updater->url(), sticks ? moved : feedUrl());
    QCOMPARE(finished.first().first().toString(), updater->url());

    // The next check starts where the first one ended only after a permanent move.
    QVERIFY(service.control("clear-requests"));
    QVERIFY(check(*updater));
    const QJsonArray asked = service.requestsOf("update-feed");
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked.first().toObject().value("path").toString(),
             QString(sticks ? "/moved/krl/update/client/" : "/krl/update/client/"));
}

void TestUpdater::certificates_data()
{
    QTest::addColumn<bool>("localServer");
    QTest::addColumn<QString>("location");
    QTest::addColumn<bool>("offered");
    QTest::newRow("self-signed refused") << false << "" << false;
    QTest::newRow("self-signed accepted from the local server") << true << "" << true;
    QTest::newRow("https to http refused") << true << "http://127.0.0.1:1/krl/update/client/" << false;
}

void TestUpdater::certificates()
{
    QFETCH(bool, localServer);
    QFETCH(QString, location);
    QFETCH(bool, offered);
    TestService tls;
    QVERIFY(tls.start({"--tls"}));
    QVERIFY(tls.control("config", {{"update_version", "3.6"}}));
    if (!location.isEmpty())
        QVERIFY(tls.misbehave({{"target", "update-feed"}, {"mode", "redirect"}, {"location", location}}));
    CheckerClient* client = getCheckerClient();
    QSettings settings("Korrelo", "client");
    settings.setValue("check_server", localServer ? tls.root() : QString());
    settings.setValue("local_access_token", localServer ? "token" : "");
    settings.sync();
    client->loadSetting();
    QCOMPARE(client->isLocal(), localServer);
    auto updater = makeUpdater(tls.root() + "krl/update/client/");
    defaultAnswer = QMessageBox::No;
    QVERIFY(check(*updater));
    QCOMPARE(boxes.size(), offered ? 1 : 0);
    settings.clear();
    settings.sync();
    client->loadSetting();
}

QTEST_MAIN(TestUpdater)
#include "tst_updater.moc"
