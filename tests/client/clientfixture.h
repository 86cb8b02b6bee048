#pragma once

#include <QDesktopServices>
#include <QSettings>
#include <QtTest>

#include "checkerclient.h"
#include "testservice.h"
#include "uirecorder.h"

// What every client test program shares: its own service, the process-wide client pointed at
// it, message boxes recorded, and browser pages captured instead of opened. A test class
// derives from it next to QObject and calls the three steps from initTestCase, init and
// cleanupTestCase; pages arrive through the test's slot openUrl(QUrl), which appends to
// openedUrls.
struct ClientFixture
{
    CheckerClient* client = nullptr;
    TestService service;
    BoxRecorder boxes;
    QList<QUrl> openedUrls;

    bool startClient(QObject* urlReceiver = nullptr,
                     const QStringList& schemes = {QStringLiteral("http"), QStringLiteral("https")})
    {
        if (!service.start())
            return false;
        qputenv("KORRELO_SERVICE_ROOTS", service.sites().toUtf8());
        if (urlReceiver) {
            capturedSchemes = schemes;
            for (const QString& scheme : schemes)
                QDesktopServices::setUrlHandler(scheme, urlReceiver, "openUrl");
        }
        client = getCheckerClient();
        boxes.install(client);
        return true;
    }

    // The settings and tables back at their defaults, logged out, nothing recorded yet.
    void resetClient()
    {
        QVERIFY(service.control(QStringLiteral("reset")));
        boxes.answer = QMessageBox::Ok;
        client->cancelCheck();
        client->logout();
        QSettings("Korrelo", "client").clear();
        client->loadSetting();
        const QVector<int> typesOn = {5, 1, 22, 23, 41, 42};
        for (int type : {5, 1, 2, 22, 23, 31, 41, 42, 3, 4})
            client->setErrorTypeCheck(type, typesOn.contains(type));
        client->setDictCheck(102, false);
        client->setDictCheck(101, true);
        client->setTransferTimeout(30000);
        client->setHost(QString(), QString());
        boxes.boxes.clear();
        openedUrls.clear();
        QVERIFY(service.control(QStringLiteral("clear-requests")));
    }

    void stopClient()
    {
        for (const QString& scheme : capturedSchemes)
            QDesktopServices::unsetUrlHandler(scheme);
        capturedSchemes.clear();
    }

    // Runs one check to its end (checkDone) and hands back what it found; false when the check
    // was refused or did not end in time.
    bool checkAndWait(const QString& text, CHECK_DATAS* found = nullptr)
    {
        QSignalSpy done(client, &CheckerClient::checkDone);
        QString copy = text;
        if (!client->checkText(copy) || (done.isEmpty() && !done.wait(30000)) || done.size() != 1)
            return false;
        if (found)
            *found = done.first().first().value<CHECK_DATAS>();
        return true;
    }

    // Logs in as demo with the given page size, the log cleared afterwards.
    void loginWithPageSize(int pageSize)
    {
        QVERIFY(service.control(QStringLiteral("config"), {{"check_char_max", QString::number(pageSize)}}));
        QVERIFY(client->login("demo", "demo"));
        QVERIFY(service.control(QStringLiteral("clear-requests")));
    }

private:
    QStringList capturedSchemes;
};
