#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

#include "proofkit_export.h"

class Updater;

// The process-wide front of the update check: one Updater per feed address, every call
// forwarded to the updater of the address it names.
class PROOFKIT_EXPORT UpdateCenter : public QObject
{
    Q_OBJECT
public:
    static UpdateCenter* getInstance();
    ~UpdateCenter() override;

    QString getOpenUrl(const QString& url);
    QString getChangelog(const QString& url);
    QString getModuleName(const QString& url);
    QString getDownloadUrl(const QString& url);
    QString getPlatformKey(const QString& url);
    QString getModuleVersion(const QString& url);
    QString getLatestVersion(const QString& url);
    QString getUserAgentString(const QString& url);
    bool getNotifyOnUpdate(const QString& url);
    bool getNotifyOnFinish(const QString& url);
    bool getUpdateAvailable(const QString& url);
    bool getDownloaderEnabled(const QString& url);
    bool getUseCustomAppcast(const QString& url);
    bool getUseCustomInstallProcedures(const QString& url);
    bool getMandatoryUpdate(const QString& url);
    // The updater of url (made on first use); for callers that need more than the forwarders.
    Updater* updaterOf(const QString& url);

signals:
    void checkingFinished(QString url);
    void appcastDownloaded(QString url, QByteArray data);
    void downloadFinished(QString url, QString filepath);

public slots:
    void checkForUpdates(const QString& url);
    void setModuleName(const QString& url, const QString& name);
    void setNotifyOnUpdate(const QString& url, bool notify);
    void setNotifyOnFinish(const QString& url, bool notify);
    void setPlatformKey(const QString& url, const QString& platform);
    void setModuleVersion(const QString& url, const QString& version);
    void setDownloaderEnabled(const QString& url, bool enabled);
    void setUserAgentString(const QString& url, const QString& agent);
    void setUseCustomAppcast(const QString& url, bool customAppcast);
    void setUseCustomInstallProcedures(const QString& url, bool custom);
    void setMandatoryUpdate(const QString& url, bool mandatory_update);

private:
    UpdateCenter() = default;
    Updater* getUpdater(const QString& url);

    QStringList urls;
    QList<Updater*> updaters;
};
