#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QSettings>
#include <QStringList>
#include <QUrl>
#include <QVector>
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
        QVERIFY(service.reset());
        boxes.boxes.clear();
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
        QVERIFY(service.clearRequests());
    }

    void stopClient()
    {
        for (const QString& scheme : capturedSchemes)
            QDesktopServices::unsetUrlHandler(scheme);
        capturedSchemes.clear();
    }

private:
    QStringList capturedSchemes;
};
