#pragma once

#include <QCryptographicHash>
#include <QDesktopServices>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

#include "modalbox.h"
#include "quitapplication.h"
#include "testservice.h"

// One shell message box as the code under test built it.
struct ShownBox
{
    QString text;
    QString informative;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};

// What the update tests share: a service of their own, boxes answered from a queue (then the
// default answer), quits and opened URLs recorded, a fresh download folder per test.
class UpdateFixture : public QObject
{
    Q_OBJECT
public:
    TestService service;
    QList<ShownBox> boxes;
    QList<int> replies;
    int defaultAnswer = QMessageBox::Ok;
    QList<int> quits;
    QList<QUrl> opened;
    std::unique_ptr<QTemporaryDir> folder;

    bool startFixture(const QStringList& serviceArgs = {})
    {
        if (!service.start(serviceArgs))
            return false;
        setModalBoxHandler([this](QMessageBox& box) {
            boxes.append({box.text(), box.informativeText(), box.icon(), box.standardButtons()});
            return replies.isEmpty() ? defaultAnswer : replies.takeFirst();
        });
        setQuitFunction([this](int code) { quits.append(code); });
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(scheme, this, "openUrl");
        return true;
    }

    void resetFixture()
    {
        QVERIFY(service.control("reset"));
        boxes.clear();
        replies.clear();
        defaultAnswer = QMessageBox::Ok;
        quits.clear();
        opened.clear();
        folder = std::make_unique<QTemporaryDir>();
    }

    void stopFixture()
    {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(scheme);
        setModalBoxHandler(nullptr);
        setQuitFunction(nullptr);
    }

    // What the service's feed announces for this platform.
    QJsonObject feedEntry()
    {
        QNetworkAccessManager nam;
        QNetworkReply* reply = nam.get(QNetworkRequest(QUrl(service.root() + "krl/update/client/")));
        QSignalSpy done(reply, &QNetworkReply::finished);
        done.wait(10000);
        const QJsonObject entry = QJsonDocument::fromJson(reply->readAll()).object().value("updates").toObject()
                                      .value("linux").toObject();
        delete reply;
        return entry;
    }

    static QString sha256Of(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(&file);
        return hash.result().toHex();
    }

public slots:
    void openUrl(const QUrl& url) { opened.append(url); }
};
