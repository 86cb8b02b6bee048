#include "updatecenter.h"

#include "updater.h"

UpdateCenter* UpdateCenter::getInstance()
{
    static UpdateCenter instance;
    return &instance;
}

UpdateCenter::~UpdateCenter()
{
    urls.clear();
    for (Updater* updater : updaters)
        updater->deleteLater();
    updaters.clear();
}

Updater* UpdateCenter::getUpdater(const QString& url)
{
    const int index = urls.indexOf(url);
    if (index >= 0)
        return updaters.at(index);
    auto* updater = new Updater();
    updater->setUrl(url);
    urls.append(url);
    updaters.append(updater);
    connect(updater, &Updater::checkingFinished, this, &UpdateCenter::checkingFinished);
    connect(updater, &Updater::appcastDownloaded, this, &UpdateCenter::appcastDownloaded);
    connect(updater, &Updater::downloadFinished, this, &UpdateCenter::downloadFinished);
    return updater;
}

Updater* UpdateCenter::updaterOf(const QString& url) { return getUpdater(url); }

void UpdateCenter::checkForUpdates(const QString& url) { getUpdater(url)->checkForUpdates(); }
void UpdateCenter::setModuleName(const QString& url, const QString& name) { getUpdater(url)->setModuleName(name); }
void UpdateCenter::setNotifyOnUpdate(const QString& url, bool notify) { getUpdater(url)->setNotifyOnUpdate(notify); }
void UpdateCenter::setNotifyOnFinish(const QString& url, bool notify) { getUpdater(url)->setNotifyOnFinish(notify); }
void UpdateCenter::setPlatformKey(const QString& url, const QString& platform)
{
    getUpdater(url)->setPlatformKey(platform);
}
void UpdateCenter::setModuleVersion(const QString& url, const QString& version)
{
    getUpdater(url)->setModuleVersion(version);
}
void UpdateCenter::setDownloaderEnabled(const QString& url, bool enabled)
{
    getUpdater(url)->setDownloaderEnabled(enabled);
}
void UpdateCenter::setUserAgentString(const QString& url, const QString& agent)
{
    getUpdater(url)->setUserAgentString(agent);
}
void UpdateCenter::setUseCustomAppcast(const QString& url, bool customAppcast)
{
    getUpdater(url)->setUseCustomAppcast(customAppcast);
}
void UpdateCenter::setUseCustomInstallProcedures(const QString& url, bool custom)
{
    getUpdater(url)->setUseCustomInstallProcedures(custom);
}
void UpdateCenter::setMandatoryUpdate(const QString& url, bool mandatory_update)
{
    getUpdater(url)->setMandatoryUpdate(mandatory_update);
}

QString UpdateCenter::getOpenUrl(const QString& url) { return getUpdater(url)->openUrl(); }
QString UpdateCenter::getChangelog(const QString& url) { return getUpdater(url)->changelog(); }
QString UpdateCenter::getModuleName(const QString& url) { return getUpdater(url)->moduleName(); }
QString UpdateCenter::getDownloadUrl(const QString& url) { return getUpdater(url)->downloadUrl(); }
QString UpdateCenter::getPlatformKey(const QString& url) { return getUpdater(url)->platformKey(); }
QString UpdateCenter::getModuleVersion(const QString& url) { return getUpdater(url)->moduleVersion(); }
QString UpdateCenter::getLatestVersion(const QString& url) { return getUpdater(url)->latestVersion(); }
QString UpdateCenter::getUserAgentString(const QString& url) { return getUpdater(url)->userAgentString(); }
bool UpdateCenter::getNotifyOnUpdate(const QString& url) { return getUpdater(url)->notifyOnUpdate(); }
bool UpdateCenter::getNotifyOnFinish(const QString& url) { return getUpdater(url)->notifyOnFinish(); }
bool UpdateCenter::getUpdateAvailable(const QString& url) { return getUpdater(url)->updateAvailable(); }
bool UpdateCenter::getDownloaderEnabled(const QString& url) { return getUpdater(url)->downloaderEnabled(); }
bool UpdateCenter::getUseCustomAppcast(const QString& url) { return getUpdater(url)->customAppcast(); }
bool UpdateCenter::getUseCustomInstallProcedures(const QString& url)
{
    return getUpdater(url)->useCustomInstallProcedures();
}
bool UpdateCenter::getMandatoryUpdate(const QString& url) { return getUpdater(url)->mandatoryUpdate(); }
