#include "servicefixture.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    void servesOnAFreePortAndEndsOnTerm();
    void helpDocumentsEveryOption();
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();
    void busyPortIsReported();
    void runStartsTheServiceWithoutControl_data();
    void runStartsTheServiceWithoutControl();

private:
    // Starts the program and returns the port from its first line, or 0.
    static int start(QProcess& process, const QStringList& args)
    {
        process.start(KORRELO_SERVICE_BIN, args);
        if (!process.waitForStarted(5000) || !process.waitForReadyRead(5000))
            return 0;
        const QString line = QString::fromUtf8(process.readLine()).trimmed();
        const auto match = QRegularExpression("^listening on 127\\.0\\.0\\.1:(\\d+)$").match(line);
        return match.hasMatch() ? match.captured(1).toInt() : 0;
    }
};

void TestProgram::servesOnAFreePortAndEndsOnTerm()
{
    QTemporaryDir dir;
    const QString logFile = dir.filePath("log.jsonl");
    QProcess process;
    const int port = start(process, {"--port", "0", "--request-log", logFile, "--account",
                                     "user_name=a%2Bb&password=x%26y&is_vip=1&vip_end_date=2030-01-01"});
    QVERIFY(port > 0);

    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(QString("http://127.0.0.1:%1/site0/api/v3/auth/login/").arg(port)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    const QJsonObject account = ServiceFixture::wait(manager.post(request, "user_name=a%2Bb&password=x%26y"), 10000).json();
    QCOMPARE(account.value("is_vip"), QJsonValue(true));
    QCOMPARE(account.value("vip_end_date").toString(), QString("2030-01-01"));
    QCOMPARE(account.value("check_server").toString(), QString("http://127.0.0.1:%1/").arg(port));
    // The given account replaces the built-in ones.
    QCOMPARE(ServiceFixture::wait(manager.post(request, "user_name=demo&password=demo"), 10000)
                 .errorId(),
             QString("login_error"));

    process.terminate();
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QFile log(logFile);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll().count('\n'), 2);
}

void TestProgram::helpDocumentsEveryOption()
{
    QProcess process;
    process.start(KORRELO_SERVICE_BIN, {"--help"});
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 0);
    const QString help = QString::fromUtf8(process.readAllStandardOutput());
    for (const char* text : {"--host", "--port", "--account", "--local-access-token", "--check-server",
                             "--check-char-max", "--max-body", "--max-pending", "--request-log", "--request-log-bytes", "--misbehave", "--no-control",
                             "--tls", "--tls-cert", "--tls-key", "--update-version", "--update-size",
                             "--help", "/control/misbehave", "/control/reset", "/control/release",
                             "/control/config", "/control/account", "/control/requests", "/control/clear-requests",
                             "api/v3/is-domain-ok/", "api/v3/auth/login/", "api/v3/check", "site0/",
                             "krl/update/client/", "krl/update/files/", "update-feed|update-file", "update_mandatory"})
        QVERIFY2(help.contains(text), text);
}

void TestProgram::badArgumentsAreRefused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");   // 2: refused command line, 1: could not start
    QTest::newRow("port not a number") << QStringList{"--port", "x"} << 2;
    QTest::newRow("port too large") << QStringList{"--port", "70000"} << 2;
    QTest::newRow("unknown option") << QStringList{"--bogus", "1"} << 2;
    QTest::newRow("account without name") << QStringList{"--account", "password=x"} << 2;
    QTest::newRow("page size zero") << QStringList{"--check-char-max", "0"} << 2;
    QTest::newRow("bad rule") << QStringList{"--misbehave", "mode=nope"} << 2;
    QTest::newRow("update size not a number") << QStringList{"--update-size", "1M"} << 2;
    QTest::newRow("pending bound zero") << QStringList{"--max-pending", "0"} << 2;
    QTest::newRow("negative log bytes") << QStringList{"--request-log-bytes", "-1"} << 2;
    QTest::newRow("unknown misbehaviour target") << QStringList{"--misbehave", "target=update&mode=drop"} << 2;
    QTest::newRow("certificate without key") << QStringList{"--tls-cert", "cert.pem"} << 2;
    QTest::newRow("missing certificate files")
        << QStringList{"--tls-cert", "/nonexistent.pem", "--tls-key", "/nonexistent.key"} << 1;
}

void TestProgram::badArgumentsAreRefused()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QProcess process;
    process.start(KORRELO_SERVICE_BIN, args);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY(process.readAllStandardOutput().isEmpty());
    QVERIFY(process.readAllStandardError().startsWith("korrelo-service: "));
}

void TestProgram::busyPortIsReported()
{
    QProcess first;
    const int port = start(first, {"--port", "0"});
    QVERIFY(port > 0);
    QProcess second;
    second.start(KORRELO_SERVICE_BIN, {"--port", QString::number(port)});
    QVERIFY(second.waitForFinished(5000));
    QCOMPARE(second.exitCode(), 1);
    QVERIFY(second.readAllStandardError().contains("cannot bind"));
    first.terminate();
    QVERIFY(first.waitForFinished(10000));
}

void TestProgram::runStartsTheServiceWithoutControl_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("body");   // TOKEN stands for the run's token
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("answer");   // part of the reply's body
    QTest::newRow("reset") << QByteArray("POST") << "control/reset" << QByteArray() << 404 << QByteArray("Not Found");
    QTest::newRow("token replaced") << QByteArray("POST") << "control/config"
                                    << QByteArray("local_access_token=mine") << 404 << QByteArray("Not Found");
    QTest::newRow("texts read back") << QByteArray("GET") << "control/requests" << QByteArray() << 404
                                     << QByteArray("Not Found");
    QTest::newRow("replies injected") << QByteArray("POST") << "control/misbehave"
                                      << QByteArray("target=check&mode=body&body=x") << 404 << QByteArray("Not Found");
    QTest::newRow("check with the run's token") << QByteArray("POST") << "api/v3/check"
                                                << QByteArray("local_access_token=TOKEN&text=%E4%BB%96%E9%97%A8")
                                                << 200 << QByteArray("check_data");
    QTest::newRow("check with another token") << QByteArray("POST") << "api/v3/check"
                                              << QByteArray("local_access_token=guess&text=%E4%BB%96%E9%97%A8")
                                              << 200 << QByteArray("local_access_token_error");
}

void TestProgram::runStartsTheServiceWithoutControl()
{
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    QFETCH(QByteArray, answer);
    // The command the run script builds, taken from the script itself.
    const QString token = "t0ken";
    QProcess shell;
    shell.start("bash", {"-c", "source \"$1\" && service_command \"$2\" \"$3\"", "run-test", KORRELO_RUN_SCRIPT,
                         KORRELO_SERVICE_BIN, token});
    QVERIFY(shell.waitForFinished(5000));
    QCOMPARE(shell.exitCode(), 0);
    QStringList command = QString::fromUtf8(shell.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QVERIFY(command.size() > 1);
    QCOMPARE(command.takeFirst(), QString(KORRELO_SERVICE_BIN));

    QProcess service;
    const int port = start(service, command);
    QVERIFY(port > 0);
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(QString("http://127.0.0.1:%1/%2").arg(port).arg(path)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    const HttpResult result = ServiceFixture::wait(
        manager.sendCustomRequest(request, method, QByteArray(body).replace("TOKEN", token.toUtf8())), 10000);
    QCOMPARE(result.status, status);
    QVERIFY2(result.body.contains(answer), result.body.constData());
    service.terminate();
    QVERIFY(service.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
