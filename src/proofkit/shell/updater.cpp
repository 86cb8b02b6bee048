#include "updater.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>

#include "downloader.h"
#include "modalbox.h"
#include "quitapplication.h"
#include "redirecthop.h"
#include "replysizelimit.h"
#include "updaterequest.h"

namespace {

const int kMaxRedirects = 5;
// A real feed is a few hundred bytes; a changelog of many pages still fits a thousand times over.
const qint64 kMaxFeedBytes = 256 * 1024;

bool isWebScheme(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

// Only web addresses from the feed are ever opened or fetched.
QString webAddress(const QJsonValue& value)
{
    const QString text = value.toString();
    return isWebScheme(QUrl(text)) ? text : QString();
}

} // namespace

Updater::Updater()
    : m_userAgentString(QStringLiteral("%1/%2 (Qt; UpdateCenter)")
                            .arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion()))
#ifdef Q_OS_LINUX
    , m_platformKey(QStringLiteral("linux"))
#else
    , m_platformKey(QStringLiteral("windows"))
#endif
    , m_moduleName(QCoreApplication::applicationName())
    , m_moduleVersion(QCoreApplication::applicationVersion())
    , m_downloader(new Downloader())
    , manager(new QNetworkAccessManager())
{
    m_downloader->setUserAgentString(m_userAgentString);
    connect(m_downloader, &Downloader::downloadFinished, this, &Updater::downloadFinished);
    connect(manager, &QNetworkAccessManager::finished, this, &Updater::onReply);
}

Updater::~Updater()
{
    delete m_downloader;
    delete manager;
}

QString Updater::url() const { return m_url; }
QString Updater::openUrl() const { return m_openUrl; }
QString Updater::changelog() const { return m_changelog; }
QString Updater::moduleName() const { return m_moduleName; }
QString Updater::downloadUrl() const { return m_downloadUrl; }
QString Updater::platformKey() const { return m_platformKey; }
QString Updater::moduleVersion() const { return m_moduleVersion; }
QString Updater::latestVersion() const { return m_latestVersion; }
QString Updater::userAgentString() const { return m_userAgentString; }
QString Updater::checksum() const { return m_checksum; }
bool Updater::customAppcast() const { return m_customAppcast; }
bool Updater::notifyOnUpdate() const { return m_notifyOnUpdate; }
bool Updater::notifyOnFinish() const { return m_notifyOnFinish; }
bool Updater::updateAvailable() const { return m_updateAvailable; }
bool Updater::downloaderEnabled() const { return m_downloaderEnabled; }
bool Updater::mandatoryUpdate() const { return m_mandatoryUpdate; }
bool Updater::useCustomInstallProcedures() const { return m_downloader->useCustomInstallProcedures(); }
bool Updater::isChecking() const { return checking; }
Downloader* Updater::downloader() const { return m_downloader; }
void Updater::setTransferTimeout(int ms) { timeoutMs = ms; }
int Updater::transferTimeout() const { return timeoutMs; }

void Updater::setUrl(const QString& url) { m_url = url; }
void Updater::setModuleName(const QString& name) { m_moduleName = name; }
void Updater::setNotifyOnUpdate(bool notify) { m_notifyOnUpdate = notify; }
void Updater::setNotifyOnFinish(bool notify) { m_notifyOnFinish = notify; }
void Updater::setModuleVersion(const QString& version) { m_moduleVersion = version; }
void Updater::setDownloaderEnabled(bool enabled) { m_downloaderEnabled = enabled; }
void Updater::setPlatformKey(const QString& platformKey) { m_platformKey = platformKey; }
void Updater::setUseCustomAppcast(bool customAppcast) { m_customAppcast = customAppcast; }
void Updater::setUseCustomInstallProcedures(bool custom) { m_downloader->setUseCustomInstallProcedures(custom); }

void Updater::setUserAgentString(const QString& agent)
{
    m_userAgentString = agent;
    m_downloader->setUserAgentString(agent);
}

void Updater::setMandatoryUpdate(bool mandatory_update)
{
    configuredMandatory = mandatory_update;
    m_mandatoryUpdate = mandatory_update;
}

void Updater::checkForUpdates()
{
    // A second prompt over the first would only confuse.
    if (checking)
        return;
    checking = true;
    redirects = 0;
    requestUrl = QUrl(m_url);
    sendRequest();
}

void Updater::sendRequest()
{
    QNetworkRequest request{requestUrl};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(timeoutMs);
    ReplySizeLimit::watch(getForUpdate(*manager, request, m_userAgentString), kMaxFeedBytes);
}

void Updater::endCheck(bool available)
{
    setUpdateAvailable(available);
    checking = false;
    emit checkingFinished(m_url);
}

void Updater::onReply(QNetworkReply* reply)
{
    reply->deleteLater();
    bool refused = false;
    const QUrl next = RedirectHop::target(reply, &refused);
    if (refused || (!next.isEmpty() && ++redirects > kMaxRedirects)) {
        endCheck(false);
        return;
    }
    if (!next.isEmpty()) {
        // Only a permanent move changes where the feed is asked next time; a temporary one
        // serves this request alone.
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status == 301 || status == 308)
            m_url = next.toString();
        requestUrl = next;
        sendRequest();
        return;
    }
    if (reply->error() != QNetworkReply::NoError || ReplySizeLimit::exceeded(reply) || ReplySizeLimit::cut(reply)) {
        endCheck(false);
        return;
    }
    const QByteArray body = reply->readAll();
    // Even a custom feed says something; an empty reply is a lost one.
    if (body.isEmpty()) {
        endCheck(false);
        return;
    }
    if (m_customAppcast) {
        checking = false;
        emit appcastDownloaded(m_url, body);
        emit checkingFinished(m_url);
        return;
    }
    if (QJsonDocument::fromJson(body).isNull()) {
        endCheck(false);
        return;
    }
    readFeed(body);
    endCheck(isNewerVersion(m_latestVersion, m_moduleVersion));
}

void Updater::readFeed(const QByteArray& body)
{
    QJsonObject entry = QJsonDocument::fromJson(body).object().value(QStringLiteral("updates")).toObject()
                            .value(m_platformKey).toObject();
    // A checksum that is there but unusable damages the whole entry, read as no entry at all:
    // taking the checksum for absent would let the download go unverified.
    const QJsonValue sha256 = entry.value(QStringLiteral("sha256"));
    if (!sha256.isUndefined() && !isSha256Hex(sha256))
        entry = QJsonObject();
    m_openUrl = webAddress(entry.value(QStringLiteral("open-url")));
    m_changelog = entry.value(QStringLiteral("changelog")).toString();
    m_downloadUrl = webAddress(entry.value(QStringLiteral("download-url")));
    m_latestVersion = entry.value(QStringLiteral("latest-version")).toString();
    m_checksum = entry.value(QStringLiteral("sha256")).toString();
    const QJsonValue mandatory = entry.value(QStringLiteral("mandatory-update"));
    m_mandatoryUpdate = mandatory.isUndefined() ? configuredMandatory : mandatory.toBool(false);
}

bool Updater::isSha256Hex(const QJsonValue& value)
{
    static const QRegularExpression hex(QStringLiteral("^\\s*[0-9A-Fa-f]{64}\\s*$"));
    return value.isString() && hex.match(value.toString()).hasMatch();
}

bool Updater::isNewerVersion(const QString& x, const QString& y)
{
    const QStringList a = x.split(QLatin1Char('.'));
    const QStringList b = y.split(QLatin1Char('.'));
    const int common = std::min(a.size(), b.size());
    for (int i = 0; i < common; ++i) {
        const int left = a.at(i).toInt();
        const int right = b.at(i).toInt();
        if (left != right)
            return left > right;
    }
    return a.size() > b.size();
}

void Updater::setUpdateAvailable(bool available)
{
    m_updateAvailable = available;
    QMessageBox box;
    box.setTextFormat(Qt::RichText);
    box.setIcon(QMessageBox::Information);
    box.setWindowTitle(m_moduleName);
    widenBox(box);
    // Feed values are shown as text, whatever markup they carry.
    const QString name = m_moduleName.toHtmlEscaped();
    if (available && (m_notifyOnUpdate || m_notifyOnFinish)) {
        box.setInformativeText(m_mandatoryUpdate ? tr("Would you like to download the update now? This is a mandatory "
                                                      "update, exiting now will close the application")
                                                 : tr("Would you like to download the update now?"));
        box.setText(QStringLiteral("<h3>")
                    + tr("Version %1 of %2 has been released!").arg(m_latestVersion.toHtmlEscaped(), name)
                    + QStringLiteral("</h3>"));
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        if (runModalBox(box) == QMessageBox::Yes)
            acceptUpdate();
        else if (m_mandatoryUpdate)
            quitApplication(0);
        return;
    }
    if (!m_notifyOnFinish)
        return;
    box.setStandardButtons(QMessageBox::Close);
    box.setInformativeText(tr("No updates are available for the moment"));
    box.setText(QStringLiteral("<h3>") + tr("Congratulations! You are running the latest version of %1").arg(name)
                + QStringLiteral("</h3>"));
    runModalBox(box);
}

void Updater::acceptUpdate()
{
    if (!m_openUrl.isEmpty()) {
        QDesktopServices::openUrl(QUrl(m_openUrl));
        return;
    }
    if (m_downloaderEnabled) {
        m_downloader->setUrlId(m_url);
        m_downloader->setFileName(QUrl(m_downloadUrl).fileName());
        m_downloader->setMandatoryUpdate(m_mandatoryUpdate);
        m_downloader->setChecksum(m_checksum);
        m_downloader->startDownload(QUrl(m_downloadUrl));
        return;
    }
    if (!m_downloadUrl.isEmpty())
        QDesktopServices::openUrl(QUrl(m_downloadUrl));
}
