#include <QFile>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QtTest>

#include "clientfixture.h"
#include "config.h"

namespace {

// A loopback HTTPS server with a self-signed certificate: answers the probe with OK and a check
// with one finding; counts the requests that got through the handshake.
class TlsServer : public QTcpServer
{
public:
    int requests = 0;

    bool start()
    {
        QFile cert(QStringLiteral(KORRELO_TEST_DATA "/selfsigned.crt"));
        QFile key(QStringLiteral(KORRELO_TEST_DATA "/selfsigned.key"));
        if (!cert.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly))
            return false;
        certificate = QSslCertificate(cert.readAll());
        privateKey = QSslKey(key.readAll(), QSsl::Rsa);
        return !certificate.isNull() && !privateKey.isNull() && listen(QHostAddress::LocalHost);
    }

    QString root() const { return QStringLiteral("https://127.0.0.1:%1/").arg(serverPort()); }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        socket->setLocalCertificate(certificate);
        socket->setPrivateKey(privateKey);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QSslSocket::readyRead, socket, [this, socket, buffer] {
            *buffer += socket->readAll();
            const int headerEnd = buffer->indexOf("\r\n\r\n");
            if (headerEnd < 0)
                return;
            const QByteArray headers = buffer->left(headerEnd).toLower();
            const int lengthAt = headers.indexOf("content-length:");
            const int length = lengthAt < 0 ? 0 : headers.mid(lengthAt + 15, headers.indexOf("\r\n", lengthAt) - lengthAt - 15).trimmed().toInt();
            if (buffer->size() < headerEnd + 4 + length)
                return;
            ++requests;
            const QByteArray body = headers.startsWith("post /api/v3/is-domain-ok/")
                ? QByteArray("OK")
                : QByteArray(R"({"check_data":[{"words":"他门","error_level":4,"error_type":[1],)"
                             R"("pos":[{"index_begin":0,"index_end":1}],"data_item":{"key":"他门","values":[{"value":"他们","frequency":1}]}}]})");
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: "
                          + QByteArray::number(body.size()) + "\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        socket->startServerEncryption();
    }

private:
    QSslCertificate certificate;
    QSslKey privateKey;
};

} // namespace

class TestTls : public QObject, private ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void publicSitesVerifyTheirPeer();
    void localServerMayUseItsOwnCertificate();

private:
    TlsServer tls;
};

void TestTls::initTestCase()
{
    if (!QSslSocket::supportsSsl())
        QSKIP("no TLS library");
    QVERIFY(startClient());
    QVERIFY(tls.start());
}

void TestTls::init()
{
    // A test may point the client at the TLS server instead.
    qputenv("KORRELO_SERVICE_ROOTS", service.sites().toUtf8());
    resetClient();
    tls.requests = 0;
}

void TestTls::publicSitesVerifyTheirPeer()
{
    qputenv("KORRELO_SERVICE_ROOTS", tls.root().toUtf8());
    client->getWebUrl(URL_HOME, QString());
    // Four probes, none past the handshake: an unknown certificate is no site.
    QCOMPARE(tls.requests, 0);
}

void TestTls::localServerMayUseItsOwnCertificate()
{
    Config* config = GetConfig();
    config->setValueString("local_access_token", "local-token");
    config->setValueString("check_server", tls.root());
    client->loadSetting();

    QSignalSpy done(client, &CheckerClient::checkDone);
    QString text = QStringLiteral("他门来了。");
    QVERIFY(client->checkText(text));
    QVERIFY(done.wait(10000));
    QCOMPARE(tls.requests, 1);
    QCOMPARE(done.first().first().value<CHECK_DATAS>().size(), size_t(1));
    QVERIFY2(boxes.boxes.isEmpty(), qPrintable(boxes.texts().join('|')));
}

QTEST_MAIN(TestTls)
#include "tst_tls.moc"
