#pragma once

#include <QSettings>
#include <QVector>
#include <QtTest>

#include "checkerclient.h"
#include "testservice.h"
#include "uirecorder.h"

// The process-wide client pointed at this program's own service, with boxes recorded and the
// settings and tables back at their defaults.
inline void resetClient(CheckerClient* client, TestService& service, BoxRecorder& boxes)
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
    QVERIFY(service.clearRequests());
}
