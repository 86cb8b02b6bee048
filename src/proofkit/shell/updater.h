#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include "proofkit_export.h"

class Downloader;
class QJsonValue;
class QNetworkAccessManager;
class QNetworkReply;

// One update feed: asks it whether a newer version exists, offers that version to the user and
// hands a "yes" to the browser or to the download window.
class PROOFKIT_EXPORT Updater : public QObject
{
    Q_OBJECT
public:
    Updater();
    ~Updater() override;

    QString url() const;
    QString openUrl() const;
    QString changelog() const;
    QString moduleName() const;
    QString downloadUrl() const;
    QString platformKey() const;
    QString moduleVersion() const;
    QString latestVersion() const;
    QString userAgentString() const;
    QString checksum() const;
    bool customAppcast() const;
    bool notifyOnUpdate() const;
    bool notifyOnFinish() const;
    bool updateAvailable() const;
    bool downloaderEnabled() const;
    bool mandatoryUpdate() const;
    bool useCustomInstallProcedures() const;
    bool isChecking() const;
    Downloader* downloader() const;

    // Longest wait without progress for the feed, in milliseconds.
    void setTransferTimeout(int ms);
    int transferTimeout() const;

    static bool isNewerVersion(const QString& x, const QString& y);
    // A "sha256" value the download can be checked against: a string of 64 hex digits.
    static bool isSha256Hex(const QJsonValue& value);

signals:
    void checkingFinished(QString url);
    void downloadFinished(QString url, QString filepath);
    void appcastDownloaded(QString url, QByteArray data);

public slots:
    void checkForUpdates();
    void setUrl(const QString& url);
    void setModuleName(const QString& name);
    void setNotifyOnUpdate(bool notify);
    void setNotifyOnFinish(bool notify);
    void setUserAgentString(const QString& agent);
    void setModuleVersion(const QString& version);
    void setDownloaderEnabled(bool enabled);
    void setPlatformKey(const QString& platformKey);
    void setUseCustomAppcast(bool customAppcast);
    void setUseCustomInstallProcedures(bool custom);
    void setMandatoryUpdate(bool mandatory_update);

private slots:
    void onReply(QNetworkReply* reply);
    void setUpdateAvailable(bool available);

private:
    void sendRequest();
    void endCheck(bool available);
    void readFeed(const QByteArray& body);
    void acceptUpdate();

    QString m_url;
    QString m_userAgentString;
    bool m_customAppcast = false;
    bool m_notifyOnUpdate = true;
    bool m_notifyOnFinish = false;
    bool m_updateAvailable = false;
    bool m_downloaderEnabled = true;
    bool m_mandatoryUpdate = false;
    QString m_openUrl;
    QString m_platformKey;
    QString m_changelog;
    QString m_moduleName;
    QString m_downloadUrl;
    QString m_moduleVersion;
    QString m_latestVersion;
    Downloader* m_downloader = nullptr;
    QNetworkAccessManager* manager = nullptr;

    QString m_checksum;
    QUrl requestUrl;   // where the running check asks: m_url, or a temporary redirect's target
    bool configuredMandatory = false;   // what setMandatoryUpdate said; a feed without the key falls back to it
    bool checking = false;
    int redirects = 0;
    int timeoutMs = 30000;
};
