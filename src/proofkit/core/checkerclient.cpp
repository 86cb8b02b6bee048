#include "checkerclient.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QGridLayout>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScopedPointer>
#include <QSpacerItem>
#include <QSslConfiguration>
#include <QTimer>
#include <QUrl>

#include "config.h"
#include "dataitem.h"
#include "dataitemvalue.h"
#include "dialoglogin.h"
#include "dialogprogress.h"
#include "dialogreporterror.h"
#include "dialogweb.h"
#include "jsonconvert.h"
#include "redirecthop.h"
#include "replysizelimit.h"
#include "settingkeys.h"
#include "strconvert.h"

namespace {

// Property set on a reply that was aborted because it stalled, so the abort is not taken for a cancel.
const char* const kTimedOut = "korreloTimedOut";
// The site probe has its own, shorter patience: four dead sites must not stall the first address.
const int kProbeTimeoutMs = 10000;
const int kMaxPieces = 10;
const int kDefaultPageSize = 3000;
// Text made of nothing but errors draws about 120 bytes of reply per character (350 KB for a
// 3000-character piece). Sixteen times that, and never less than 256 KiB for a short piece, is
// far beyond any real reply, yet a runaway one is refused long before it fills the memory.
const qint64 kReplyBytesPerChar = 2048;
const qint64 kMinReplyLimit = 256 * 1024;
const int kMaxFieldLength = 500;

// Form bodies encode every key and value, so '+', '&' and '=' in a password or a text arrive intact.
void addField(QByteArray& body, const QString& key, const QString& value)
{
    if (!body.isEmpty())
        body += '&';
    body += QUrl::toPercentEncoding(key);
    body += '=';
    body += QUrl::toPercentEncoding(value);
}

QString encoded(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

// Length of a cut at most `length` units long that does not separate a surrogate pair.
int safeCut(const QString& text, int from, int length)
{
    const int end = from + length;
    if (length <= 0 || end >= text.length())
        return length;
    if (!text.at(end - 1).isHighSurrogate() || !text.at(end).isLowSurrogate())
        return length;
    return length > 1 ? length - 1 : length + 1;
}

bool isPunctuation(QChar c)
{
    const char32_t code = c.unicode();
    return IsCnPunctuation(code) || IsEnPunctuation(code);
}

QVector<_ERROR_TYPE_INFO_>& errorTypeTable()
{
    static QVector<_ERROR_TYPE_INFO_> table = {
        {5, QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_CUO_CI_KU"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_CUO_CI_KU_SHORT"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_CUO_CI_KU_DES"), true, false},
        {1, QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_TONG_YIN"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_TONG_YIN_SHORT"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_TONG_YIN_DES"), true, false},
        {2, QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_XING_JIN"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_XING_JIN_SHORT"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_XING_JIN_DES"), false, false},
        {22, QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_CHONG_FU"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_CHONG_FU_SHORT"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_CHONG_FU_DES"), true, false},
        {23, QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_FEI_CHANG_YONG"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_FEI_CHANG_YONG_SHORT"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_FEI_CHANG_YONG_DES"), true, false},
        {31, QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_MIN_GAN_CI"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_MIN_GAN_CI_SHORT"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_MIN_GAN_CI_DES"), false, false},
        {41, QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_BIAO_DIAN_BU_PI_PEI"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_BIAO_DIAN_BU_PI_PEI_SHORT"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_BIAO_DIAN_BU_PI_PEI_DES"), true, false},
        {42, QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_BIAO_DIAN"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_BIAO_DIAN_SHORT"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_BIAO_DIAN_DES"), true, false},
        {3, QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_YIN_JIN"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_YIN_JIN_SHORT"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_YIN_JIN_DES"), false, true},
        {4, QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_DA_PEI"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_DA_PEI_SHORT"),
         QT_TRANSLATE_NOOP("CheckerClient", "ERROR_TYPE_DA_PEI_DES"), false, true},
    };
    return table;
}

QVector<_DICT_INFO_>& dictTable()
{
    static QVector<_DICT_INFO_> table = {
        {101, QStringLiteral("基础通用校对"), QString(), true},
        {102, QStringLiteral("政治、法律、政府公文"), QString(), false},
    };
    return table;
}

QString u8(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

CheckerClient* getCheckerClient()
{
    static CheckerClient* client = new CheckerClient();
    return client;
}

CheckerClient::CheckerClient(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<CHECK_DATAS>("CHECK_DATAS");
    progress = new DialogProgress(nullptr);
    progress->setProgress(0);
    progress->hide();
    loadSetting();
    QVector<_ERROR_TYPE_INFO_> types;
    getErrorTypeInfos(types);
    QVector<_DICT_INFO_> dicts;
    getDictInfos(dicts);
    manager = new QNetworkAccessManager();
    connect(manager, &QNetworkAccessManager::finished, this, &CheckerClient::finishedSlot);
    formManager = new QNetworkAccessManager();
}

CheckerClient::~CheckerClient()
{
    delete formManager;
    delete manager;
    delete loginDialog;
    delete progress;
}

// ---------------------------------------------------------------------------------------------
// Identity, addresses, message box

void CheckerClient::setClient(QString id, QString version)
{
    clientId = id;
    clientVer = version;
}

void CheckerClient::setHost(QString id, QString version)
{
    hostId = id;
    hostVer = version;
}

QString CheckerClient::getClientId() const { return clientId; }
QString CheckerClient::getClientVer() const { return clientVer; }
QString CheckerClient::getHostId() const { return hostId; }
QString CheckerClient::getHostVer() const { return hostVer; }

void CheckerClient::setMsgBoxHandler(MsgBoxHandler handler)
{
    msgBoxHandler = std::move(handler);
}

void CheckerClient::setTransferTimeout(int ms)
{
    timeoutMs = ms;
}

int CheckerClient::transferTimeout() const
{
    return timeoutMs;
}

int CheckerClient::showMsgBox(const QString& text, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons)
{
    if (msgBoxHandler)
        return msgBoxHandler(text, icon, buttons);

    QMessageBox box;
    box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
    box.setText(text);
    box.setWindowTitle(tr("Korrelo"));
    QFont font = box.font();
    font.setPointSize(font.pointSize() + 2);
    box.setFont(font);
    box.setStandardButtons(buttons);
    box.setIcon(icon);
    box.setStyleSheet(QStringLiteral("QLabel{min-height: 60px;}"));
    // Keeps short messages from producing a box too narrow for its title.
    auto* spacer = new QSpacerItem(250, 0, QSizePolicy::Minimum, QSizePolicy::Expanding);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(spacer, grid->rowCount(), 0, 1, grid->columnCount());
    else
        delete spacer;
    return box.exec();
}

QString CheckerClient::getWebUrl(_URL_ID id, QString path)
{
    if (local)
        siteIndex = 0;
    if (siteIndex == -1) {
        siteIndex = 0;
        for (int site = 0; site < 4; ++site) {
            if (checkDomain(site)) {
                siteIndex = site;
                break;
            }
        }
    }
    return doGetWebUrl(id, path, siteIndex);
}

QString CheckerClient::doGetWebUrl(_URL_ID id, QString path, int site)
{
    if (id == URL_CHECK) {
        QString server = u8(serverInfo.check_server);
        if (server.isEmpty())
            return server;
        if (!server.contains(QLatin1String("api/v3/check"))) {
            if (!server.endsWith(QLatin1Char('/')))
                server += QLatin1Char('/');
            server += QLatin1String("api/v3/check");
        }
        return server;
    }
    // Values are encoded one by one: a user name holding '&' or "%1" must not reshape the query.
    const QString query = QStringLiteral("?client_id=") + encoded(clientId)
        + QStringLiteral("&client_ver=") + encoded(clientVer)
        + QStringLiteral("&host_id=") + encoded(hostId)
        + QStringLiteral("&host_ver=") + encoded(hostVer)
        + QStringLiteral("&user_name=") + encoded(u8(serverInfo.user_name))
        + QStringLiteral("&access_token=") + encoded(u8(serverInfo.access_token))
        + QStringLiteral("&local_access_token=") + encoded(u8(serverInfo.local_access_token));
    // The caller's path goes in as the table's query and our query as its path part: that is how
    // the account pages (app/vip/, app/user/) receive the account query.
    return u8(GetWebUrl(id, path.toStdString(), query.toStdString(), site));
}

void CheckerClient::openUrl(const QString& address)
{
    if (!QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode)))
        showMsgBox(tr("Can't open korrelo.com"), QMessageBox::Critical, QMessageBox::Ok);
}

void CheckerClient::openWebUrl(_URL_ID id)
{
    openUrl(getWebUrl(id, QString()));
}

void CheckerClient::openDictUrl(QString word)
{
    // The word becomes a path segment: '/', '?' or '#' in it must not change the address.
    openUrl(getWebUrl(URL_DICT, encoded(word)));
}

// ---------------------------------------------------------------------------------------------
// Requests

std::shared_ptr<QNetworkRequest> CheckerClient::createRequest(QString& url)
{
    auto request = std::make_shared<QNetworkRequest>(QUrl(url, QUrl::TolerantMode));
    // Redirects are followed hop by hop (RedirectHop), never by the network library itself.
    request->setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request->setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    if (url.contains(QLatin1String("https"))) {
        // Peers are verified; only the user's own local server may present a self-signed
        // certificate (see watchReply).
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setProtocol(QSsl::SecureProtocols);
        request->setSslConfiguration(ssl);
    }
    return request;
}

bool CheckerClient::isLocalServer(const QUrl& url) const
{
    if (!local)
        return false;
    const QUrl server(u8(serverInfo.check_server), QUrl::TolerantMode);
    return server.scheme() == url.scheme() && server.host().compare(url.host(), Qt::CaseInsensitive) == 0
        && server.port(443) == url.port(443);
}

void CheckerClient::watchReply(QNetworkReply* reply, int timeout)
{
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, reply, [reply] {
        reply->setProperty(kTimedOut, true);
        reply->abort();
    });
    // A transfer time-out: any progress restarts the wait.
    connect(reply, &QNetworkReply::downloadProgress, timer, [timer](qint64, qint64) { timer->start(); });
    connect(reply, &QNetworkReply::uploadProgress, timer, [timer](qint64, qint64) { timer->start(); });
    connect(reply, &QNetworkReply::finished, timer, &QTimer::stop);
    connect(reply, &QNetworkReply::sslErrors, reply, [this, reply](const QList<QSslError>&) {
        if (isLocalServer(reply->url()))
            reply->ignoreSslErrors();
    });
    timer->start(timeout);
}

void CheckerClient::showNetworkError(QNetworkReply* reply)
{
    QString reason = reply->errorString();
    if (reply->property(kTimedOut).toBool())
        reason = tr("Request timed out");
    else if (ReplySizeLimit::exceeded(reply))
        reason = tr("The reply is too large");
    else if (ReplySizeLimit::cut(reply))
        reason = tr("The connection closed before the whole reply arrived");
    else if (reply->error() == QNetworkReply::NoError)
        // A redirect that was not followed arrived without a transfer error: the server's words say why.
        reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    showMsgBox(tr("Connect Server Error!") + QStringLiteral(" [") + reason + QStringLiteral(" ]"),
               QMessageBox::Critical, QMessageBox::Ok);
}

QByteArray CheckerClient::commonFields(bool withLocalToken) const
{
    QByteArray body;
    addField(body, QStringLiteral("client_id"), clientId);
    addField(body, QStringLiteral("client_ver"), clientVer);
    addField(body, QStringLiteral("host_id"), hostId);
    addField(body, QStringLiteral("host_ver"), hostVer);
    addField(body, QStringLiteral("access_token"), u8(serverInfo.access_token));
    if (withLocalToken)
        addField(body, QStringLiteral("local_access_token"), u8(serverInfo.local_access_token));
    return body;
}

bool CheckerClient::simplePost(_URL_ID id, QMap<QString, QString>& form, bool cancellable, bool keepServerInfo,
                               bool showNoLogin, PostOutcome* outcome, ServerInfo* carried)
{
    PostOutcome dummy;
    PostOutcome& result = outcome ? *outcome : dummy;
    result = PostOutcome::NetworkError;

    QString url = getWebUrl(id, QString());
    std::shared_ptr<QNetworkRequest> request = createRequest(url);
    QByteArray body = commonFields(true);
    for (auto it = form.cbegin(); it != form.cend(); ++it) {
        QString value = it.value();
        if (it.key() != QLatin1String("text") && value.length() > kMaxFieldLength)
            value.truncate(safeCut(value, 0, kMaxFieldLength));
        addField(body, it.key(), value);
    }
    QScopedPointer<QNetworkReply, QScopedPointerDeleteLater> owner(formManager->post(*request, body));
    bool refused = false;
    for (;;) {
        QNetworkReply* hop = owner.data();
        watchReply(hop, timeoutMs);
        ReplySizeLimit::watch(hop, ReplySizeLimit::kAccountReplyBytes);
        if (cancellable && progress)
            connect(progress, &DialogProgress::cancel, hop, &QNetworkReply::abort);
        QEventLoop loop;
        connect(hop, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!hop->isFinished())
            loop.exec();
        const QUrl next = RedirectHop::target(hop, &refused);
        if (next.isEmpty())
            break;
        owner.reset(RedirectHop::follow(formManager, hop, next, body));
    }
    QNetworkReply* reply = owner.data();
    if (reply->error() != QNetworkReply::NoError || refused || ReplySizeLimit::cut(reply)
        || ReplySizeLimit::exceeded(reply)) {
        showNetworkError(reply);
        return false;
    }
    serverInfo.clearError();
    ServerInfo copy = serverInfo;
    std::string json = reply->readAll().toStdString();
    // Every account call answers with at least an object: nothing at all means the answer was lost.
    if (json.empty()) {
        showMsgBox(tr("Connect Server Error!") + QStringLiteral(" [") + tr("The reply is empty")
                       + QStringLiteral(" ]"),
                   QMessageBox::Critical, QMessageBox::Ok);
        return false;
    }
    result = PostOutcome::Success;
    if (!JSONToServer(json, copy)) {
        result = PostOutcome::ParseError;
        showMsgBox(tr("Parse JSON Data Error!"), QMessageBox::Critical, QMessageBox::Ok);
        return true;
    }
    if (carried) {
        *carried = ServerInfo();
        JSONToServer(json, *carried);
    }
    if (!copy.error_id.empty() || !copy.error_msg.empty())
        result = PostOutcome::ServiceError;
    if (keepServerInfo)
        serverInfo = copy;
    if (copy.error_id != "no_login" || showNoLogin)
        tryShowErrorMsg(copy);
    return true;
}

bool CheckerClient::checkDomain(int site)
{
    QTimer timer;
    timer.setSingleShot(true);
    QString url = doGetWebUrl(URL_IS_DOMAIN_OK, QString(), site);
    QNetworkAccessManager nam;
    std::shared_ptr<QNetworkRequest> request = createRequest(url);
    const QByteArray form = commonFields(false);
    QNetworkReply* reply = nam.post(*request, form);
    timer.start(kProbeTimeoutMs);
    bool refused = false;
    for (;;) {
        ReplySizeLimit::watch(reply, ReplySizeLimit::kAccountReplyBytes);
        QEventLoop loop;
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        if (!reply->isFinished() && timer.isActive())
            loop.exec();
        if (!reply->isFinished()) {
            reply->abort();
            return false;
        }
        const QUrl next = RedirectHop::target(reply, &refused);
        if (next.isEmpty())
            break;
        reply = RedirectHop::follow(&nam, reply, next, form);
    }
    timer.stop();
    if (reply->error() != QNetworkReply::NoError || refused || ReplySizeLimit::exceeded(reply))
        return false;
    const QByteArray body = reply->readAll();
    return !body.isEmpty() && body == "OK";
}

void CheckerClient::tryShowErrorMsg(ServerInfo& info)
{
    if (info.error_id.empty() && info.error_msg.empty())
        return;
    const std::string errorId = info.error_id;
    // A wrong password during a login says nothing about the account logged in before it.
    if (errorId == "login_error" && !loggingIn)
        logout();
    const QString text = info.error_msg.empty() ? u8(errorId) : u8(info.error_msg);
    info.clearError();
    showMsgBox(text, QMessageBox::Critical, QMessageBox::Ok);
    if (errorId == "login_again")
        showLogin(0);
}

// ---------------------------------------------------------------------------------------------
// Check run

bool CheckerClient::isChecking() const
{
    return checking || starting;
}

bool CheckerClient::checkText(QString& text, bool flag)
{
    Q_UNUSED(flag);
    if (checking || starting) {
        // The user may have hidden the dialog; bring it back so the running check can be seen and cancelled.
        if (progress) {
            progress->show();
            progress->raise();
            progress->activateWindow();
        }
        showMsgBox(tr("checking, please wait."), QMessageBox::Critical, QMessageBox::Ok);
        return false;
    }
    clearCheckData(false);
    if (text.isEmpty())
        return false;

    starting = true;
    const bool started = [&] {
        if (!local && !isLogin() && showLogin(0) != 2)
            return false;
        if (!progress)
            return false;
        progress->show();
        progress->setProgress(0);
        QString title = local ? tr("[%1] checking").arg(u8(serverInfo.check_server)) : tr("checking, please wait.");
        progress->setTitle(title);
        if (!local && !updateAuth(text.length(), true)) {
            progress->hide();
            return false;
        }
        if (serverInfo.access_token.empty() && serverInfo.local_access_token.empty()) {
            progress->hide();
            return false;
        }
        const bool split = fillList(text, pages);
        // Pieces cut short for want of punctuation can leave text unchecked even below the
        // longest text a check takes: the user is told how much is checked.
        qint64 covered = 0;
        for (const QString& piece : pages)
            covered += piece.length();
        if (split && covered < text.length()) {
            QString message = tr("Max %d words!");
            message.replace(QLatin1String("%d"), QString::number(covered));
            showMsgBox(message, QMessageBox::Critical, QMessageBox::Ok);
        }
        if (split && checkNext())
            return true;
        clearCheckData(false);
        progress->setProgress(100);
        progress->hide();
        return false;
    }();
    starting = false;
    if (!started) {
        // A check refused meanwhile may have brought the dialog up while the login dialog ran.
        if (progress)
            progress->hide();
        return false;
    }
    checking = true;
    emit checkBegin();
    return true;
}

bool CheckerClient::splitText(const QString& text, int pageSize, QStringList& pieces)
{
    pieces.clear();
    if (pageSize < 1)
        return false;
    const int length = text.length();
    const int half = pageSize / 2;
    int pos = 0;
    // Stops at the end of the text: an empty piece would only fetch a "not found" reply.
    for (int count = 0; count < kMaxPieces && pos < length; ++count) {
        if (qint64(pos) + pageSize > length) {
            pieces << text.mid(pos);
            break;
        }
        int cut = pageSize - half;
        for (int j = 0; j < half; ++j) {
            if (isPunctuation(text.at(pos + pageSize - j - 1))) {
                cut = pageSize - j;
                break;
            }
        }
        cut = safeCut(text, pos, cut);
        pieces << text.mid(pos, cut);
        pos += cut;
    }
    return !pieces.isEmpty();
}

bool CheckerClient::fillList(QString& text, QStringList& pieces)
{
    return splitText(text, serverInfo.check_char_max, pieces);
}

bool CheckerClient::checkNext()
{
    if (pages.isEmpty() || pageIndex >= pages.size())
        return false;
    const QString piece = pages.at(pageIndex);
    ++pageIndex;
    checkUrl = getWebUrl(URL_CHECK, QString());
    std::shared_ptr<QNetworkRequest> request = createRequest(checkUrl);
    QByteArray body;
    addField(body, QStringLiteral("client_id"), clientId);
    addField(body, QStringLiteral("client_ver"), clientVer);
    addField(body, QStringLiteral("host_id"), hostId);
    addField(body, QStringLiteral("host_ver"), hostVer);
    addField(body, QStringLiteral("text"), piece);
    addField(body, QStringLiteral("access_token"), u8(serverInfo.access_token));
    addField(body, QStringLiteral("local_access_token"), u8(serverInfo.local_access_token));
    addField(body, QStringLiteral("is_vip"), isVIP() ? QStringLiteral("1") : QStringLiteral("0"));
    addField(body, QStringLiteral("main_lang"), QStringLiteral("zh-CN"));
    addField(body, QStringLiteral("other_lang"), QStringLiteral("en-US"));
    addField(body, QStringLiteral("min_error_level"), QStringLiteral("3"));
    addField(body, QStringLiteral("check"), getErrorTypeInfos());
    addField(body, QStringLiteral("dict_id"), getDictInfos());
    pieceBody = body;
    replyLimit = std::max(kMinReplyLimit, kReplyBytesPerChar * piece.length());
    sendPiece(manager->post(*request, body));
    return true;
}

void CheckerClient::sendPiece(QNetworkReply* reply)
{
    watchReply(reply, timeoutMs);
    ReplySizeLimit::watch(reply, replyLimit);
    if (progress)
        connect(progress, &DialogProgress::cancel, reply, &QNetworkReply::abort);
}

void CheckerClient::finishedSlot(QNetworkReply* reply)
{
    if (!reply)
        return;
    reply->deleteLater();
    bool refused = false;
    const QUrl next = RedirectHop::target(reply, &refused);
    if (!next.isEmpty()) {
        checkUrl = next.toString();
        sendPiece(RedirectHop::follow(manager, reply, next, pieceBody));
        return;
    }
    // A reply may be whole before its size is judged, and is then refused all the same.
    const bool tooLarge = ReplySizeLimit::exceeded(reply);
    if (reply->error() == QNetworkReply::NoError && !refused && !ReplySizeLimit::cut(reply) && !tooLarge) {
        // A service that sent one unreadable reply is not asked for the rest of the text.
        const bool readable = getNetData(reply);
        if (!readable)
            showMsgBox(tr("JSON Data Error!"), QMessageBox::Critical, QMessageBox::Ok);
        if (readable && checkNext()) {
            if (progress)
                progress->setProgress(pageIndex * 100 / pages.size());
            return;
        }
        if (!checkDatas.empty())
            CleanCheckData(checkDatas);
        emit checkDone(checkDatas);
        tryShowErrorMsg(serverInfo);
        if (readable && !notFoundText.isEmpty() && checkDatas.empty() && vipErrorCount == 0)
            showMsgBox(notFoundText, QMessageBox::Critical, QMessageBox::Ok);
        clearCheckData(true);
        if (progress) {
            progress->setProgress(100);
            progress->hide();
        }
        return;
    }
    if (!checkDatas.empty())
        CleanCheckData(checkDatas);
    emit checkDone(checkDatas);
    clearCheckData(false);
    if (progress) {
        progress->setProgress(100);
        progress->hide();
    }
    if (reply->error() != QNetworkReply::OperationCanceledError || reply->property(kTimedOut).toBool() || tooLarge)
        showNetworkError(reply);
}

bool CheckerClient::getNetData(QNetworkReply* reply)
{
    std::string json = reply->readAll().toStdString();
    serverInfo.clearError();
    // Only the reply to the piece's latest request, after any redirects, carries its findings.
    if (reply->request().url() != QUrl(checkUrl, QUrl::TolerantMode))
        return true;
    _CHECK_OTHER_DATA_ other;
    const size_t itemsBefore = checkDatas.size();
    // The reader counts earlier pieces' findings as its own success; a later piece whose reply
    // brings neither findings nor a reason is as broken as a first one, and must not pass silently.
    const bool read = JSONToCheckData(json, checkDatas, other);
    const bool empty = checkDatas.size() == itemsBefore && other.error_id.empty() && other.error_msg.empty();
    if (!read || empty)
        return false;
    // The service counts from the start of the piece; the callers count in the whole checked text.
    uint32_t pieceStart = 0;
    for (int i = 0; i + 1 < pageIndex && i < pages.size(); ++i)
        pieceStart += uint32_t(pages.at(i).size());
    for (size_t i = itemsBefore; i < checkDatas.size(); ++i) {
        for (_CHECK_DATA_POS_& p : checkDatas[i]->pos) {
            p.begin += pieceStart;
            p.end += pieceStart;
        }
    }
    serverInfo.error_id = other.error_id;
    serverInfo.error_msg = other.error_msg;
    vipErrorCount += other.vip_error_count;
    // One piece without findings says nothing about the others: kept for the end of the check.
    if (serverInfo.error_id == "not_found_error") {
        notFoundText = u8(serverInfo.error_msg.empty() ? serverInfo.error_id : serverInfo.error_msg);
        serverInfo.clearError();
    }
    return true;
}

void CheckerClient::cancelCheck()
{
    if (progress)
        emit progress->cancel();
}

void CheckerClient::clearCheckData(bool keepData)
{
    pages.clear();
    checking = false;
    pageIndex = 0;
    notFoundText.clear();
    if (keepData)
        return;
    vipErrorCount = 0;
    checkDatas.clear();
}

CHECK_DATAS& CheckerClient::getCheckData()
{
    return checkDatas;
}

int CheckerClient::getVipErrorCount() const
{
    return vipErrorCount;
}

bool CheckerClient::getReplaceText(const CHECK_DATAS& datas, int index, int valueIndex, QString& words,
                                   QString& replacement)
{
    if (index < 0 || size_t(index) >= datas.size())
        return false;
    const std::shared_ptr<CheckData>& data = datas[size_t(index)];
    if (!data || !data->dataItem)
        return false;
    if (valueIndex < 0 || size_t(valueIndex) >= data->dataItem->values.size())
        return false;
    const DataItemValue* value = data->dataItem->values[size_t(valueIndex)];
    if (!value)
        return false;
    // Without a position nothing says where the suggestion's parts go; an empty replacement would
    // silently delete the flagged words.
    if (data->pos.empty())
        return false;

    words = u8(data->words);
    const QStringList parts = QString::fromUtf8(value->value ? value->value : "").split(QLatin1Char('*'));
    const std::vector<_CHECK_DATA_POS_>& pos = data->pos;
    qint64 prevEnd = 0;
    for (size_t i = 0; i < pos.size() && i < size_t(parts.size()); ++i) {
        const qint64 rel = qint64(pos[i].begin) - qint64(pos[0].begin);
        const qint64 gap = rel - prevEnd - 1;
        // Stretches that touch or overlap have no text between them to carry over.
        if (i != 0 && gap > 0)
            replacement += words.mid(int(prevEnd + 1), int(gap));
        replacement += parts.at(int(i));
        prevEnd = qint64(pos[i].end) - qint64(pos[0].begin);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Account and session

void CheckerClient::loadSetting()
{
    Config* config = GetConfig();
    if (!config)
        return;
    serverInfo.user_name = config->getValueString(QLatin1String(SettingKeys::UserName), QString()).toStdString();
    serverInfo.access_token = config->getValueString(QLatin1String(SettingKeys::AccessToken), QString()).toStdString();
    serverInfo.local_access_token =
        config->getValueString(QLatin1String(SettingKeys::LocalAccessToken), QString()).toStdString();
    serverInfo.check_server = config->getValueString(QLatin1String(SettingKeys::CheckServer), QString()).toStdString();
    serverInfo.vip_end_date = config->getValueString(QLatin1String(SettingKeys::VipEndDate), QString()).toStdString();
    serverInfo.check_char_max = config->getValueInt(QLatin1String(SettingKeys::CheckCharMax), kDefaultPageSize);
    // A damaged setting (text, zero, negative) would refuse every check.
    if (serverInfo.check_char_max <= 0)
        serverInfo.check_char_max = kDefaultPageSize;
    serverInfo.is_vip = config->getValueBool(QLatin1String(SettingKeys::IsVip), false);
    if (serverInfo.local_access_token.empty() || serverInfo.check_server.empty()) {
        local = false;
        siteIndex = -1;
        return;
    }
    local = true;
    serverInfo.is_vip = true;
    serverInfo.vip_end_date = "2099-09-09";
}

void CheckerClient::storeAccount()
{
    Config* config = GetConfig();
    if (!config)
        return;
    config->setValueString(QLatin1String(SettingKeys::UserName), u8(serverInfo.user_name));
    config->setValueBool(QLatin1String(SettingKeys::IsVip), serverInfo.is_vip);
    config->setValueString(QLatin1String(SettingKeys::VipEndDate), u8(serverInfo.vip_end_date));
    config->setValueString(QLatin1String(SettingKeys::AccessToken), u8(serverInfo.access_token));
}

bool CheckerClient::login(const QString& user, const QString& pass)
{
    if (local) {
        showMsgBox(tr("local not support"), QMessageBox::Critical, QMessageBox::Ok);
        return false;
    }
    const std::string previousUser = serverInfo.user_name;
    const std::string previousToken = serverInfo.access_token;
    const QString previousPassword = password;
    serverInfo.user_name = user.toStdString();
    password = pass;

    QMap<QString, QString> form;
    form.insert(QStringLiteral("user_name"), user);
    form.insert(QStringLiteral("password"), pass);
    PostOutcome outcome = PostOutcome::NetworkError;
    ServerInfo carried;
    loggingIn = true;
    const bool answered = simplePost(URL_LOGIN, form, true, true, false, &outcome, &carried);
    loggingIn = false;

    // Only a reply that hands out a token and reports no error is a login; a stale token is not.
    const bool success = answered && outcome == PostOutcome::Success && !carried.access_token.empty()
        && !serverInfo.user_name.empty();
    if (!success) {
        serverInfo.user_name = previousUser;
        serverInfo.access_token = previousToken;
        password = previousPassword;
        return false;
    }
    storeAccount();
    return isLogin();
}

bool CheckerClient::logout()
{
    if (local)
        return false;
    serverInfo.user_name.clear();
    password.clear();
    serverInfo.access_token.clear();
    if (Config* config = GetConfig()) {
        config->setValueString(QLatin1String(SettingKeys::UserName), QString());
        config->setValueString(QLatin1String(SettingKeys::AccessToken), QString());
    }
    return true;
}

bool CheckerClient::isLogin() const
{
    return !serverInfo.user_name.empty() && !serverInfo.access_token.empty();
}

QString CheckerClient::getUserName() const
{
    return u8(serverInfo.user_name);
}

bool CheckerClient::isVIP() const
{
    if (local)
        return true;
    if (serverInfo.access_token.empty())
        return false;
    return serverInfo.is_vip;
}

QString CheckerClient::vipEndDate() const
{
    if (serverInfo.user_name.empty() || serverInfo.access_token.empty())
        return QString();
    return u8(serverInfo.vip_end_date);
}

int CheckerClient::getMaxPageCount() const
{
    return isVIP() ? 50 : 10;
}

bool CheckerClient::isLocal() const
{
    return local;
}

bool CheckerClient::updateAuth(int textLength, bool showNoLogin)
{
    QMap<QString, QString> form;
    form.insert(QStringLiteral("text_length"), QString::number(textLength));
    form.insert(QStringLiteral("user_name"), u8(serverInfo.user_name));
    const bool answered = simplePost(URL_AUTH, form, true, true, showNoLogin);
    if (answered && isLogin())
        storeAccount();
    return answered;
}

int CheckerClient::showLogin(int flag)
{
    Q_UNUSED(flag);
    if (local) {
        showMsgBox(tr("local not support"), QMessageBox::Critical, QMessageBox::Ok);
        return 0;
    }
    if (!loginDialog)
        loginDialog = new DialogLogin(nullptr);
    // Already on screen (a service error during its own login): never run it a second time.
    if (loginDialog->isVisible()) {
        loginDialog->activateWindow();
        return 0;
    }
    QString name = getUserName();
    loginDialog->setUserName(name);
    const int result = loginDialog->exec();
    if (result != 2)
        return result;
    serverInfo.user_name = loginDialog->username().toStdString();
    password = loginDialog->password();
    return 2;
}

void CheckerClient::showLoginWeb(_URL_ID id)
{
    if (!isLogin())
        showLogin(0);
    if (!isLogin())
        return;
    auto* web = new DialogWeb(nullptr);
    web->setAttribute(Qt::WA_DeleteOnClose);
    web->load(id);
}

void CheckerClient::showUpgradeVIP()
{
    showLoginWeb(URL_APP_VIP);
}

void CheckerClient::showUserInfo()
{
    showLoginWeb(URL_APP_USER);
}

bool CheckerClient::checkForVIPOnly()
{
    if (isVIP())
        return true;
    const int answer = showMsgBox(tr("This feature is for VIP members only. Upgrade now?"),
                                  QMessageBox::Information, QMessageBox::Ok | QMessageBox::Cancel);
    if (answer == QMessageBox::Ok) {
        if (isLogin())
            showUpgradeVIP();
        else
            openWebUrl(URL_VIP);
    }
    return isVIP();
}

bool CheckerClient::reportError(QString& errorText, QString& sentence)
{
    if (local) {
        showMsgBox(tr("local not support"), QMessageBox::Critical, QMessageBox::Ok);
        return false;
    }
    DialogReportError dialog(nullptr);
    dialog.setData(errorText, sentence);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QMap<QString, QString> form;
    form.insert(QStringLiteral("text_error"), dialog.errorText());
    form.insert(QStringLiteral("text_sentence"), dialog.sentence());
    form.insert(QStringLiteral("msg"), dialog.note());
    PostOutcome outcome = PostOutcome::NetworkError;
    const bool answered = simplePost(URL_REPORT_ERROR, form, false, false, true, &outcome);
    if (answered && outcome == PostOutcome::Success)
        showMsgBox(tr("Thanks for the feedback!"), QMessageBox::Information, QMessageBox::Ok);
    return answered;
}

bool CheckerClient::addToDict(QString& word)
{
    if (local) {
        showMsgBox(tr("local not support"), QMessageBox::Critical, QMessageBox::Ok);
        return false;
    }
    QMap<QString, QString> form;
    form.insert(QStringLiteral("new_word"), word);
    PostOutcome outcome = PostOutcome::NetworkError;
    const bool answered = simplePost(URL_ADD_TO_DICT, form, false, false, true, &outcome);
    if (answered && outcome == PostOutcome::Success)
        showMsgBox(tr("Add to dict succeed!"), QMessageBox::Information, QMessageBox::Ok);
    return answered;
}

// ---------------------------------------------------------------------------------------------
// Error-type and dictionary tables

void CheckerClient::getErrorTypeInfos(QVector<_ERROR_TYPE_INFO_>& out)
{
    Config* config = GetConfig();
    if (!config)
        return;
    for (_ERROR_TYPE_INFO_& row : errorTypeTable())
        row.checked = config->getValueBool(SettingKeys::errorTypeKey(row.type), row.checked);
    out = errorTypeTable();
}

QString CheckerClient::getErrorTypeInfos()
{
    QStringList codes;
    for (const _ERROR_TYPE_INFO_& row : errorTypeTable()) {
        if (row.checked)
            codes << QString::number(row.type);
    }
    return codes.join(QLatin1Char(','));
}

QString CheckerClient::getErrorTypeName(int type, bool shortName, bool withExperimental)
{
    for (const _ERROR_TYPE_INFO_& row : errorTypeTable()) {
        if (row.type != type)
            continue;
        QString name = tr(shortName ? row.shortName : row.name);
        if (withExperimental && row.experimental)
            name += tr("test");
        return name;
    }
    return QString();
}

void CheckerClient::setErrorTypeCheck(int type, bool on)
{
    Config* config = GetConfig();
    if (!config)
        return;
    for (_ERROR_TYPE_INFO_& row : errorTypeTable()) {
        if (row.type != type)
            continue;
        row.checked = on;
        config->setValueBool(SettingKeys::errorTypeKey(type), on);
        return;
    }
}

void CheckerClient::getDictInfos(QVector<_DICT_INFO_>& out)
{
    Config* config = GetConfig();
    if (!config)
        return;
    for (_DICT_INFO_& row : dictTable())
        row.checked = config->getValueBool(SettingKeys::dictKey(row.id), row.checked);
    out = dictTable();
}

QString CheckerClient::getDictInfos()
{
    QStringList ids;
    for (const _DICT_INFO_& row : dictTable()) {
        if (row.checked)
            ids << QString::number(row.id);
    }
    return ids.join(QLatin1Char(','));
}

bool CheckerClient::setDictCheck(int id, bool on)
{
    Config* config = GetConfig();
    if (!config)
        return false;
    for (_DICT_INFO_& row : dictTable()) {
        if (row.id != id)
            continue;
        if (row.checked == on)
            return on;
        // The general dictionary is free; every other scope is a VIP feature.
        if (on && id != 101 && !checkForVIPOnly())
            return false;
        row.checked = on;
        config->setValueBool(SettingKeys::dictKey(id), on);
        return on;
    }
    return on;
}
