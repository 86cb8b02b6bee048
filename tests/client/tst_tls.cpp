#include <QSslSocket>

#include "clientfixture.h"
#include "config.h"

class TestTls : public QObject, private ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void publicSitesVerifyTheirPeer();
    void localServerMayUseItsOwnCertificate();

private:
    TestService tls;   // HTTPS with a self-signed certificate
};

void TestTls::initTestCase()
{
    if (!QSslSocket::supportsSsl())
        QSKIP("no TLS library");
    QVERIFY(startClient());
    QVERIFY(tls.start({QStringLiteral("--tls")}));
}

void TestTls::init()
{
    // A test may point the client at the TLS service instead.
    qputenv("KORRELO_SERVICE_ROOTS", service.sites().toUtf8());
    resetClient();
    QVERIFY(tls.control(QStringLiteral("clear-requests")));
}

void TestTls::publicSitesVerifyTheirPeer()
{
    qputenv("KORRELO_SERVICE_ROOTS", tls.sites().toUtf8());
    client->getWebUrl(URL_HOME, QString());
    // Four probes, none past the handshake: an unknown certificate is no site.
    QCOMPARE(tls.requestsOf().size(), 0);
}

void TestTls::localServerMayUseItsOwnCertificate()
{
    Config* config = GetConfig();
    config->setValueString("local_access_token", "local-token");
    config->setValueString("check_server", tls.root());
    client->loadSetting();

    CHECK_DATAS found;
    QVERIFY(checkAndWait(QStringLiteral("他门来了。"), &found));
    QCOMPARE(tls.requestsOf(QStringLiteral("check")).size(), 1);
    QCOMPARE(found.size(), size_t(1));
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.texts().join('|')));
}

QTEST_MAIN(TestTls)
#include "tst_tls.moc"
