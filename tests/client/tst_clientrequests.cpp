#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "clientfixture.h"
#include "config.h"
#include "dialogreporterror.h"

class TestClientRequests : public QObject, private ClientFixture
{
    Q_OBJECT
public slots:
    void openUrl(const QUrl& url) { openedUrls << url; }

private slots:
    void initTestCase() { QVERIFY(startClient(this)); }
    void init() { resetClient(); }
    void cleanupTestCase() { stopClient(); }

    void probeChoosesFirstSiteAnsweringOK_data();
    void probeChoosesFirstSiteAnsweringOK();
    void requestsCarryTheirFieldsInOrder_data();
    void requestsCarryTheirFieldsInOrder();
    void longFieldsAreCutWithoutSplittingPairs_data();
    void longFieldsAreCutWithoutSplittingPairs();
    void accountQueryIsEncodedValueByValue();
    void loginAndLogoutKeepTheSettings();
    void failedLoginKeepsThePreviousAccount_data();
    void failedLoginKeepsThePreviousAccount();
    void successMessagesOnlyAfterRealSuccess_data();
    void successMessagesOnlyAfterRealSuccess();
    void reportErrorSendsTheDialogFields();
    void accountRepliesAreBoundedAndWhole_data();
    void accountRepliesAreBoundedAndWhole();
    void localModeAddresses_data();
    void localModeAddresses();
    void vipOnlyFeatures_data();
    void vipOnlyFeatures();
};

void TestClientRequests::probeChoosesFirstSiteAnsweringOK_data()
{
    QTest::addColumn<QVector<Fields>>("rules");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QVector<int>>("probed");

    auto body = [](const char* site, const char* text) {
        return Fields{{"target", "probe"}, {"site", site}, {"mode", "body"}, {"body", text}};
    };
    QTest::newRow("first answers") << QVector<Fields>{} << 0 << QVector<int>{0};
    QTest::newRow("server error, then OK")
        << QVector<Fields>{{{"target", "probe"}, {"site", "0"}, {"mode", "status"}, {"status", "500"}}} << 1
        << QVector<int>{0, 1};
    QTest::newRow("lower case and trailing line break are no OK")
        << QVector<Fields>{body("0", "ok"), body("1", "OK\n")} << 2 << QVector<int>{0, 1, 2};
    QTest::newRow("none answers: site 0")
        << QVector<Fields>{body("0", "no"), body("1", "no"), body("2", "no"), body("3", "no")} << 0
        << QVector<int>{0, 1, 2, 3};
}

void TestClientRequests::probeChoosesFirstSiteAnsweringOK()
{
    QFETCH(QVector<Fields>, rules);
    QFETCH(int, chosen);
    QFETCH(QVector<int>, probed);
    for (const Fields& rule : rules)
        QVERIFY(service.misbehave(rule));

    QCOMPARE(client->getWebUrl(URL_HOME, QString()).section(QLatin1Char('?'), 0, 0), service.site(chosen));
    // Later addresses use the choice without asking again.
    client->getWebUrl(URL_USER, QString());

    QVector<int> sites;
    for (const QJsonValue& entry : service.requestsOf(QStringLiteral("probe")))
        sites << entry.toObject().value(QStringLiteral("site")).toInt();
    QCOMPARE(sites, probed);
}

void TestClientRequests::requestsCarryTheirFieldsInOrder_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("values");

    const QStringList common = {"client_id", "client_ver", "host_id", "host_ver", "access_token", "local_access_token"};
    QTest::newRow("probe") << "login" << "probe" << "/site0/api/v3/is-domain-ok/"
                           << QStringList{"client_id", "client_ver", "host_id", "host_ver", "access_token"}
                           << QStringList{};
    QTest::newRow("login") << "login" << "login" << "/site0/api/v3/auth/login/"
                           << common + QStringList{"password", "user_name"} << QStringList{"password=p+ss&w=rd%"};
    QTest::newRow("authorisation") << "check" << "auth" << "/site0/api/v3/auth/"
                                   << common + QStringList{"text_length", "user_name"} << QStringList{};
    QTest::newRow("check") << "check" << "check" << "/api/v3/check"
                           << QStringList{"client_id", "client_ver", "host_id", "host_ver", "text", "access_token",
                                          "local_access_token", "is_vip", "main_lang", "other_lang",
                                          "min_error_level", "check", "dict_id"}
                           << QStringList{"check=5,1,22,23,41,42", "dict_id=101", "is_vip=0", "min_error_level=3",
                                          "text=a+b&c=d %41 他门来了。"};
    QTest::newRow("add to dictionary") << "addToDict" << "add-to-dict" << "/site0/api/v3/add-to-dict/"
                                       << common + QStringList{"new_word"} << QStringList{};
}

void TestClientRequests::requestsCarryTheirFieldsInOrder()
{
    QFETCH(QString, operation);
    QFETCH(QString, kind);
    QFETCH(QString, path);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, values);

    // The service's own account whose password holds '+', '&', '=' and '%'.
    QVERIFY(client->login("plus", "p+ss&w=rd%"));
    QString word = QStringLiteral("词");
    if (operation == QLatin1String("check"))
        QVERIFY(checkAndWait(QStringLiteral("a+b&c=d %41 他门来了。")));
    else if (operation == QLatin1String("addToDict"))
        QVERIFY(client->addToDict(word));
    const QJsonObject request = service.lastOf(kind);
    QCOMPARE(request.value(QStringLiteral("path")).toString(), path);
    QCOMPARE(request.value(QStringLiteral("method")).toString(), QStringLiteral("POST"));
    QCOMPARE(TestService::fieldNames(request), fields);
    for (const QString& value : values)
        QCOMPARE(TestService::field(request, value.section('=', 0, 0)), value.section('=', 1));
}

void TestClientRequests::longFieldsAreCutWithoutSplittingPairs_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("sent");

    const QString plain(501, QLatin1Char('x'));
    QTest::newRow("501 characters") << plain << plain.left(500);
    QTest::newRow("500 characters") << plain.left(500) << plain.left(500);
    const QString pair = QStringLiteral("\U0001F600");
    QTest::newRow("pair across the cut") << QString(499, QLatin1Char('x')) + pair << QString(499, QLatin1Char('x'));
}

void TestClientRequests::longFieldsAreCutWithoutSplittingPairs()
{
    QFETCH(QString, word);
    QFETCH(QString, sent);
    QVERIFY(client->login("demo", "demo"));
    QVERIFY(client->addToDict(word));
    QCOMPARE(TestService::field(service.lastOf("add-to-dict"), "new_word"), sent);
}

void TestClientRequests::accountQueryIsEncodedValueByValue()
{
    client->setHost(QStringLiteral("a&b=c"), QStringLiteral("%1 %2+"));
    const QUrl url(client->getWebUrl(URL_APP_VIP, QString()));
    const QUrlQuery query(url);
    QCOMPARE(query.queryItemValue("host_id", QUrl::FullyDecoded), QStringLiteral("a&b=c"));
    QCOMPARE(query.queryItemValue("host_ver", QUrl::FullyDecoded), QStringLiteral("%1 %2+"));
    QCOMPARE(query.queryItemValue("client_id", QUrl::FullyDecoded), QStringLiteral("word"));
    QVERIFY(url.path().endsWith(QLatin1String("/app/vip/")));
}

void TestClientRequests::loginAndLogoutKeepTheSettings()
{
    QSettings settings("Korrelo", "client");
    QVERIFY(client->login("vip", "vip"));
    QVERIFY(client->isLogin() && client->isVIP());
    QCOMPARE(client->getMaxPageCount(), 50);
    QCOMPARE(settings.value("user_name").toString(), QStringLiteral("vip"));
    QVERIFY(!settings.value("access_token").toString().isEmpty());
    QCOMPARE(settings.value("is_vip").toBool(), true);
    QVERIFY(!client->vipEndDate().isEmpty());
    QCOMPARE(settings.value("vip_end_date").toString(), client->vipEndDate());

    QVERIFY(client->logout());
    QVERIFY(!client->isLogin() && !client->isVIP());
    QCOMPARE(client->getMaxPageCount(), 10);
    QCOMPARE(settings.value("user_name").toString() + settings.value("access_token").toString(), QString());
    QVERIFY(boxes.boxes.isEmpty());
}

void TestClientRequests::failedLoginKeepsThePreviousAccount_data()
{
    QTest::addColumn<bool>("loggedInBefore");
    QTest::addColumn<QString>("mode");   // of the login reply; empty: as it comes
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("box");

    QTest::newRow("wrong password") << true << "" << "" << "账号或密码错误，请重新登录。";
    QTest::newRow("reply without token") << true << "body" << "{\"user_name\":\"x\"}" << "";
    QTest::newRow("token with an error")
        << true << "body" << "{\"access_token\":\"t\",\"error_id\":\"server_busy\"}" << "server_busy";
    QTest::newRow("server error") << true << "status" << "" << "Connect Server Error!";
    QTest::newRow("malformed reply") << false << "malformed" << "" << "Parse JSON Data Error!";
}

void TestClientRequests::failedLoginKeepsThePreviousAccount()
{
    QFETCH(bool, loggedInBefore);
    QFETCH(QString, mode);
    QFETCH(QString, body);
    QFETCH(QString, box);

    if (loggedInBefore)
        QVERIFY(client->login("demo", "demo"));
    QSettings settings("Korrelo", "client");
    const QString tokenBefore = settings.value("access_token").toString();
    const QString userBefore = client->getUserName();
    if (!mode.isEmpty())
        QVERIFY(service.misbehave({{"target", "login"}, {"mode", mode}, {"body", body}}));
    boxes.boxes.clear();

    QVERIFY(!client->login("demo", mode.isEmpty() ? "wrong" : "demo"));
    QCOMPARE(client->isLogin(), loggedInBefore);
    QCOMPARE(client->getUserName(), userBefore);
    QCOMPARE(settings.value("access_token").toString(), tokenBefore);
    QCOMPARE(settings.value("user_name").toString(), userBefore);
    if (box.isEmpty())
        QVERIFY(boxes.boxes.isEmpty());
    else
        QVERIFY2(boxes.texts().join('|').contains(box), qPrintable(boxes.texts().join('|')));
}

void TestClientRequests::successMessagesOnlyAfterRealSuccess_data()
{
    QTest::addColumn<QString>("mode");   // of the reply; empty: as it comes
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("box");

    const QString thanks = QStringLiteral("Add to dict succeed!");
    QTest::newRow("accepted") << "" << "" << true << thanks;
    QTest::newRow("empty body") << "body" << "" << false << "Connect Server Error! [The reply is empty ]";
    QTest::newRow("server error") << "status" << "" << false << "Connect Server Error!";
    QTest::newRow("malformed") << "malformed" << "" << true << "Parse JSON Data Error!";
    QTest::newRow("service error") << "body" << "{\"error_id\":\"server_busy\",\"error_msg\":\"busy\"}" << true
                                   << "busy";
    QTest::newRow("no answer in time") << "hang" << "" << false << "Connect Server Error! [Request timed out ]";
}

void TestClientRequests::successMessagesOnlyAfterRealSuccess()
{
    QFETCH(QString, mode);
    QFETCH(QString, body);
    QFETCH(bool, result);
    QFETCH(QString, box);

    QVERIFY(client->login("demo", "demo"));
    if (!mode.isEmpty())
        QVERIFY(service.misbehave({{"target", "add-to-dict"}, {"mode", mode}, {"body", body}}));
    // Only the row that waits for a time-out gets a short one: a slow machine fails no other row.
    if (mode == QLatin1String("hang"))
        client->setTransferTimeout(1000);
    QString word = QStringLiteral("词语");
    QCOMPARE(client->addToDict(word), result);
    QCOMPARE(boxes.boxes.size(), 1);
    QVERIFY2(boxes.boxes.first().text.startsWith(box), qPrintable(boxes.boxes.first().text));
    const bool success = box.endsWith(QLatin1String("succeed!"));
    QCOMPARE(boxes.boxes.first().icon, success ? QMessageBox::Information : QMessageBox::Critical);
    service.control(QStringLiteral("release"));
}

void TestClientRequests::reportErrorSendsTheDialogFields()
{
    QVERIFY(client->login("demo", "demo"));
    QString error = QStringLiteral("他门");
    QString sentence = QStringLiteral("他门来了。");

    // Leaving the dialog with Escape sends nothing.
    whenShown<DialogReportError>([](DialogReportError* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    QVERIFY(!client->reportError(error, sentence));
    QVERIFY(service.requestsOf("report-error").isEmpty());

    whenShown<DialogReportError>([](DialogReportError* dialog) {
        QCOMPARE(dialog->findChild<QPlainTextEdit*>("editSentence")->toPlainText(), QStringLiteral("他门来了。"));
        dialog->findChild<QLineEdit*>("editError")->setText(QStringLiteral("他门来"));
        QTest::keyClicks(dialog->findChild<QPlainTextEdit*>("editNote"), "1+1 & more");
        QTest::mouseClick(dialog->findChild<QPushButton*>("btnSend"), Qt::LeftButton);
    });
    QVERIFY(client->reportError(error, sentence));
    const QJsonObject request = service.lastOf("report-error");
    QCOMPARE(TestService::field(request, "text_error"), QStringLiteral("他门来"));
    QCOMPARE(TestService::field(request, "text_sentence"), sentence);
    QCOMPARE(TestService::field(request, "msg"), QStringLiteral("1+1 & more"));
    QCOMPARE(boxes.texts(), QStringList{"Thanks for the feedback!"});
}

void TestClientRequests::localModeAddresses_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("checkAddress");

    QTest::newRow("trailing slash") << "http://127.0.0.1:9/" << "http://127.0.0.1:9/api/v3/check";
    QTest::newRow("no trailing slash") << "http://127.0.0.1:9" << "http://127.0.0.1:9/api/v3/check";
    QTest::newRow("already the check address") << "http://127.0.0.1:9/x/api/v3/check"
                                               << "http://127.0.0.1:9/x/api/v3/check";
}

void TestClientRequests::localModeAddresses()
{
    QFETCH(QString, server);
    QFETCH(QString, checkAddress);

    // A site chosen before local mode must not outlive it.
    client->getWebUrl(URL_HOME, QString());
    QVERIFY(service.control("clear-requests"));
    Config* config = GetConfig();
    config->setValueString("local_access_token", "local-token");
    config->setValueString("check_server", server);
    client->loadSetting();

    QVERIFY(client->isLocal());
    QVERIFY(client->isVIP());
    QCOMPARE(client->vipEndDate(), QString());
    QCOMPARE(client->getWebUrl(URL_CHECK, QString()), checkAddress);
    QVERIFY(!client->login("demo", "demo"));
    QVERIFY(!client->logout());
    QCOMPARE(client->showLogin(0), 0);
    QCOMPARE(boxes.texts(), QStringList({"local not support", "local not support"}));
    // Local mode talks to the configured server only; leaving it probes the sites again.
    QVERIFY(service.requestsOf().isEmpty());
    config->setValueString("check_server", QString());
    client->loadSetting();
    QVERIFY(!client->isLocal());
    client->getWebUrl(URL_HOME, QString());
    QCOMPARE(service.requestsOf("probe").size(), 1);
}

void TestClientRequests::vipOnlyFeatures_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("boxCount");
    QTest::addColumn<QString>("opened");

    QTest::newRow("logged out, cancel") << "" << int(QMessageBox::Cancel) << false << 1 << "";
    QTest::newRow("logged out, upgrade in the browser") << "" << int(QMessageBox::Ok) << false << 1 << "/site0/vip/";
    QTest::newRow("VIP needs no box") << "vip" << int(QMessageBox::Ok) << true << 0 << "";
}

void TestClientRequests::vipOnlyFeatures()
{
    QFETCH(QString, user);
    QFETCH(int, answer);
    QFETCH(bool, result);
    QFETCH(int, boxCount);
    QFETCH(QString, opened);

    if (!user.isEmpty())
        QVERIFY(client->login(user, user));
    boxes.answer = answer;
    QSettings settings("Korrelo", "client");
    const QVariant storedBefore = settings.value("Dict_102");

    QCOMPARE(client->setDictCheck(102, true), result);
    QCOMPARE(boxes.boxes.size(), boxCount);
    if (boxCount) {
        QCOMPARE(boxes.boxes.first().text, QStringLiteral("This feature is for VIP members only. Upgrade now?"));
        QCOMPARE(boxes.boxes.first().icon, QMessageBox::Information);
        QCOMPARE(boxes.boxes.first().buttons, QMessageBox::Ok | QMessageBox::Cancel);
    }
    QCOMPARE(client->getDictInfos(), result ? QStringLiteral("101,102") : QStringLiteral("101"));
    if (!result)
        QCOMPARE(settings.value("Dict_102"), storedBefore);
    QCOMPARE(openedUrls.size(), opened.isEmpty() ? 0 : 1);
    if (!opened.isEmpty())
        QCOMPARE(openedUrls.first().path(), opened);

    // Switching off, and the general dictionary, never ask.
    boxes.boxes.clear();
    QVERIFY(!client->setDictCheck(102, false));
    QVERIFY(!client->setDictCheck(101, false));
    QVERIFY(client->setDictCheck(101, true));
    QVERIFY(boxes.boxes.isEmpty());
}

void TestClientRequests::accountRepliesAreBoundedAndWhole_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<Fields>("rule");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("box");

    const QString tooLarge = QStringLiteral("Connect Server Error! [The reply is too large ]");
    const QString empty = QStringLiteral("Connect Server Error! [The reply is empty ]");
    // The network library names a cut its own way, or finishes it and leaves the count to us.
    const QString cut = QStringLiteral("Connect Server Error! [");
    auto body = [](const char* target, const QString& text) {
        return Fields{{"target", target}, {"mode", "body"}, {"body", text}};
    };
    const QString padded = QStringLiteral("{}") + QString(6000, QLatin1Char(' '));
    const QString oversized = QStringLiteral("{}") + QString(9000, QLatin1Char(' '));
    // A refused authorisation stops the check before any text is sent.
    QTest::newRow("authorisation over the bound") << "check" << body("auth", oversized) << false << tooLarge;
    QTest::newRow("authorisation empty") << "check" << body("auth", "") << false << empty;
    QTest::newRow("authorisation cut") << "check" << Fields{{"target", "auth"}, {"mode", "drop"}} << false << cut;
    QTest::newRow("login over the bound") << "login" << body("login", oversized) << false << tooLarge;
    QTest::newRow("login empty") << "login" << body("login", "") << false << empty;
    QTest::newRow("dictionary over the bound") << "addToDict" << body("add-to-dict", oversized) << false << tooLarge;
    QTest::newRow("dictionary within the bound") << "addToDict" << body("add-to-dict", padded) << true
                                                 << "Add to dict succeed!";
}

void TestClientRequests::accountRepliesAreBoundedAndWhole()
{
    QFETCH(QString, operation);
    QFETCH(Fields, rule);
    QFETCH(bool, result);
    QFETCH(QString, box);

    QVERIFY(client->login("demo", "demo"));
    // The bad reply comes once: asked again, the same call goes through.
    QVERIFY(service.misbehave(rule + Fields{{"count", "1"}}));
    QVERIFY(service.control(QStringLiteral("clear-requests")));
    QString text = QStringLiteral("他门来了。");
    const auto run = [&] {
        if (operation == QLatin1String("check"))
            return client->checkText(text);
        if (operation == QLatin1String("login"))
            return client->login("demo", "demo");
        return client->addToDict(text);
    };
    QCOMPARE(run(), result);
    QCOMPARE(boxes.boxes.size(), 1);
    QVERIFY2(boxes.boxes.first().text.startsWith(box), qPrintable(boxes.boxes.first().text));
    QCOMPARE(service.requestsOf(QStringLiteral("check")).size(), 0);
    // A failed login keeps the account that was logged in.
    QCOMPARE(client->getUserName(), QStringLiteral("demo"));
    QVERIFY(client->isLogin());
    QVERIFY(!client->isChecking());

    boxes.boxes.clear();
    if (operation == QLatin1String("check"))
        QVERIFY(checkAndWait(text));
    else
        QVERIFY(run());
    QVERIFY2(boxes.texts().join('|').indexOf(QStringLiteral("Connect Server Error!")) < 0,
             qPrintable(boxes.texts().join('|')));
}

QTEST_MAIN(TestClientRequests)
#include "tst_clientrequests.moc"
