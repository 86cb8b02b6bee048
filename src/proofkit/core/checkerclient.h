#pragma once

#include <QMap>
#include <QMessageBox>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

#include "checkdata.h"
#include "proofkit_export.h"
#include "serverinfo.h"
#include "urls.h"

// Carried by checkDone, also across queued connections and signal spies.
Q_DECLARE_METATYPE(CHECK_DATAS)

class DialogLogin;
class DialogProgress;
class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QUrl;

// A kind of error the service can look for, and whether this user wants it looked for. The texts
// are untranslated keys: translate them in the "CheckerClient" context before showing them.
struct _ERROR_TYPE_INFO_
{
    int type = 0;
    const char* name = nullptr;
    const char* shortName = nullptr;
    const char* description = nullptr;
    bool checked = false;
    bool experimental = false;
};

// A dictionary (check scope) a text may be checked against, and whether this user wants it used.
struct _DICT_INFO_
{
    int id = 0;
    QString name;
    QString description;
    bool checked = false;
};

// Everything that talks to the checking service goes through here: login, site choice, paged
// checks, reports, the personal dictionary, and the switchable error types and dictionaries.
class PROOFKIT_EXPORT CheckerClient : public QObject
{
    Q_OBJECT
public:
    // Replaces the real message box (tests answer it without a modal loop); returns the button.
    using MsgBoxHandler =
        std::function<int(const QString& text, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons)>;

    explicit CheckerClient(QObject* parent = nullptr);
    ~CheckerClient() override;

    // Identity sent with every request.
    void setClient(QString id, QString version);
    void setHost(QString id, QString version);
    QString getClientId() const;
    QString getClientVer() const;
    QString getHostId() const;
    QString getHostVer() const;

    // Addresses and browser pages.
    QString getWebUrl(_URL_ID id, QString path);
    void openWebUrl(_URL_ID id);
    void openDictUrl(QString word);

    // The client's message box; goes through the handler when one is set.
    int showMsgBox(const QString& text, QMessageBox::Icon icon, QMessageBox::StandardButtons buttons);
    void setMsgBoxHandler(MsgBoxHandler handler);

    // Longest wait without progress for one request or check piece, in milliseconds.
    void setTransferTimeout(int ms);
    int transferTimeout() const;

    // Check run.
    bool checkText(QString& text, bool flag = false);
    void cancelCheck();
    void clearCheckData(bool keepData);
    CHECK_DATAS& getCheckData();
    int getVipErrorCount() const;
    bool isChecking() const;
    static bool getReplaceText(const CHECK_DATAS& datas, int index, int valueIndex, QString& words,
                               QString& replacement);

    // Account and session.
    bool login(const QString& user, const QString& password);
    bool logout();
    bool isLogin() const;
    QString getUserName() const;
    bool isVIP() const;
    QString vipEndDate() const;
    int getMaxPageCount() const;
    bool isLocal() const;
    void loadSetting();
    int showLogin(int flag = 0);
    void showUpgradeVIP();
    void showUserInfo();
    void showLoginWeb(_URL_ID id);
    bool checkForVIPOnly();
    bool reportError(QString& errorText, QString& sentence);
    bool addToDict(QString& word);

    // Error-type and dictionary tables.
    void getErrorTypeInfos(QVector<_ERROR_TYPE_INFO_>& out);
    QString getErrorTypeInfos();
    QString getErrorTypeName(int type, bool shortName, bool withExperimental);
    void setErrorTypeCheck(int type, bool on);
    void getDictInfos(QVector<_DICT_INFO_>& out);
    QString getDictInfos();
    bool setDictCheck(int id, bool on);

    // True for an address of the configured local checking server, whose self-signed
    // certificate is accepted.
    bool isLocalServer(const QUrl& url) const;

    // Splits text into the pieces of one check with the given page size (at most 10 pieces).
    static bool splitText(const QString& text, int pageSize, QStringList& pieces);

signals:
    void checkBegin();
    void checkDone(const CHECK_DATAS& datas);

public slots:
    void finishedSlot(QNetworkReply* reply);

private:
    // What became of a synchronous request, beyond "the network answered".
    enum class PostOutcome { NetworkError, ParseError, ServiceError, Success };

    std::shared_ptr<QNetworkRequest> createRequest(QString& url);
    void watchReply(QNetworkReply* reply, int timeoutMs);
    bool simplePost(_URL_ID id, QMap<QString, QString>& form, bool cancellable, bool keepServerInfo,
                    bool showNoLogin, PostOutcome* outcome = nullptr, ServerInfo* carried = nullptr);
    bool checkDomain(int site);
    QString doGetWebUrl(_URL_ID id, QString path, int site);
    void tryShowErrorMsg(ServerInfo& info);
    void showNetworkError(QNetworkReply* reply);
    void openUrl(const QString& address);
    bool updateAuth(int textLength, bool showNoLogin);
    void storeAccount();
    bool fillList(QString& text, QStringList& pieces);
    bool checkNext();
    void sendPiece(QNetworkReply* reply);
    // False when the reply is unreadable or says nothing.
    bool getNetData(QNetworkReply* reply);
    QByteArray commonFields(bool withLocalToken) const;

    QString password;
    CHECK_DATAS checkDatas;
    int vipErrorCount = 0;
    DialogProgress* progress = nullptr;
    ServerInfo serverInfo;
    QNetworkAccessManager* manager = nullptr;
    // Account calls wait for their reply in place; one manager keeps their connection and thread.
    QNetworkAccessManager* formManager = nullptr;
    QStringList pages;
    bool checking = false;
    int pageIndex = 0;
    QString clientId = QStringLiteral("word");
    QString clientVer = QStringLiteral("3.5");
    QString hostId;
    QString hostVer;
    DialogLogin* loginDialog = nullptr;
    int siteIndex = -1;
    bool local = false;

    MsgBoxHandler msgBoxHandler;
    int timeoutMs = 30000;
    QString checkUrl;          // address the running piece was last posted to
    QByteArray pieceBody;      // the running piece's form, posted again when it is redirected
    qint64 replyLimit = 0;     // bytes the running piece's reply may have
    bool loggingIn = false;    // a login runs: its own "login_error" must not log the old account out
    bool starting = false;     // checkText is between its checks and the first piece
    // The service's "nothing found" text for a piece, shown once when the whole check found nothing.
    QString notFoundText;
};

// The process-wide client, created on first use and never deleted.
PROOFKIT_EXPORT CheckerClient* getCheckerClient();
