#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWebEngineView>

#include "clientfixture.h"
#include "dialoglogin.h"
#include "dialogweb.h"
#include "loadingoverlay.h"
#include "myqwebenginepage.h"

Q_DECLARE_METATYPE(QWebEnginePage::NavigationType)

namespace {

const char* const kPage = "data:text/html,<html><head><title>Account</title></head><body>page</body></html>";

} // namespace

class TestDialogWeb : public QObject, private ClientFixture
{
    Q_OBJECT
public slots:
    void openUrl(const QUrl& url) { openedUrls << url; }

private slots:
    // file too: a page must not get that opened either.
    void initTestCase() { QVERIFY(startClient(this, {"http", "https", "file"})); }
    void init() { resetClient(); }
    void cleanupTestCase() { stopClient(); }

    void navigationDecisions_data();
    void navigationDecisions();
    void loginLinkLogsInThenRebuildsThePage();
    void overlayCoversTheDialogWhileLoading();
    void closeWaitsForThePage();
    void upgradePageForLoggedInUser();
};

void TestDialogWeb::navigationDecisions_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QWebEnginePage::NavigationType>("type");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("opened");

    const auto link = QWebEnginePage::NavigationTypeLinkClicked;
    QTest::newRow("typed address with NEW_WIN stays") << "https://a.example/x?NEW_WIN=1"
                                                      << QWebEnginePage::NavigationTypeTyped << true << false;
    QTest::newRow("plain link stays") << "https://a.example/app/user/" << link << true << false;
    QTest::newRow("NEW_WIN https to the browser") << "https://a.example/x?NEW_WIN=1" << link << false << true;
    QTest::newRow("NEW_WIN http to the browser") << "http://a.example/x?a=1&NEW_WIN" << link << false << true;
    QTest::newRow("NEW_WIN file is refused") << "file:///etc/passwd?NEW_WIN=1" << link << false << false;
}

void TestDialogWeb::navigationDecisions()
{
    QFETCH(QString, url);
    QFETCH(QWebEnginePage::NavigationType, type);
    QFETCH(bool, accepted);
    QFETCH(bool, opened);

    DialogWeb dialog;
    QCOMPARE(dialog.webPage()->acceptNavigationRequest(QUrl(url), type, true), accepted);
    QCOMPARE(openedUrls.size(), opened ? 1 : 0);
    if (opened)
        QCOMPARE(openedUrls.first(), QUrl(url));
}

void TestDialogWeb::loginLinkLogsInThenRebuildsThePage()
{
    DialogWeb dialog;
    dialog.load(URL_APP_USER);
    QVERIFY(!client->isLogin());

    const QUrl link(service.site(0) + QStringLiteral("app/%6Cogin/?next=x"));
    QVERIFY(!dialog.webPage()->acceptNavigationRequest(link, QWebEnginePage::NavigationTypeLinkClicked, true));
    // Nothing modal runs inside the engine's callback.
    QVERIFY(!topLevel<DialogLogin>(true));

    whenShown<DialogLogin>([](DialogLogin* login) {
        login->findChild<QLineEdit*>("editUserName")->setText("demo");
        login->findChild<QLineEdit*>("editPassword")->setText("demo");
        QTest::mouseClick(login->findChild<QPushButton*>("btnLogin"), Qt::LeftButton);
    });
    QTRY_VERIFY_WITH_TIMEOUT(client->isLogin(), 10000);
    const QString token = QSettings("Korrelo", "client").value("access_token").toString();
    QVERIFY(!token.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(QUrlQuery(dialog.webView()->url()).queryItemValue("access_token"), token, 10000);
    QVERIFY(dialog.webView()->url().path().endsWith(QLatin1String("/app/user/")));
    QVERIFY(openedUrls.isEmpty());
}

void TestDialogWeb::overlayCoversTheDialogWhileLoading()
{
    DialogWeb dialog;
    dialog.resize(640, 480);
    LoadingOverlay* overlay = dialog.loadingOverlay();
    QVERIFY(overlay->testAttribute(Qt::WA_TransparentForMouseEvents));

    QSignalSpy started(dialog.webView(), &QWebEngineView::loadStarted);
    QSignalSpy finished(dialog.webView(), &QWebEngineView::loadFinished);
    dialog.load(QString::fromLatin1(kPage));
    QVERIFY(dialog.isVisible());
    QVERIFY(started.wait(10000) || started.size() == 1);
    QVERIFY(overlay->isVisible() || finished.size() == 1);
    QVERIFY(finished.size() == 1 || finished.wait(10000));
    QVERIFY(!overlay->isVisible());
    QTRY_COMPARE(dialog.windowTitle(), QStringLiteral("Account"));

    dialog.resize(700, 500);
    QCOMPARE(overlay->geometry(), dialog.rect());
    new QLabel(&dialog);
    QCOMPARE(dialog.children().last(), overlay);
}

void TestDialogWeb::closeWaitsForThePage()
{
    auto* dialog = new DialogWeb;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<DialogWeb> guard(dialog);
    QSignalSpy finished(dialog->webView(), &QWebEngineView::loadFinished);
    dialog->load(QString::fromLatin1(kPage));
    QVERIFY(finished.wait(10000));

    dialog->close();
    // The page is asked first; the dialog goes once the page agrees.
    QVERIFY(guard && guard->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!guard, 10000);
}

void TestDialogWeb::upgradePageForLoggedInUser()
{
    QVERIFY(client->login("demo", "demo"));
    boxes.answer = QMessageBox::Ok;
    QVERIFY(!client->checkForVIPOnly());
    QCOMPARE(boxes.boxes.size(), 1);
    QVERIFY(openedUrls.isEmpty());
    DialogWeb* dialog = topLevel<DialogWeb>(true);
    QVERIFY(dialog);
    QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
    QTRY_VERIFY(!dialog->webView()->url().isEmpty());
    const QUrl url = dialog->webView()->url();
    QCOMPARE(url.path(), QStringLiteral("/site0/app/vip/"));
    QCOMPARE(QUrlQuery(url).queryItemValue("user_name"), QStringLiteral("demo"));
    QVERIFY(!QUrlQuery(url).queryItemValue("access_token").isEmpty());
    QPointer<DialogWeb> guard(dialog);
    dialog->close();
    QTRY_VERIFY_WITH_TIMEOUT(!guard, 10000);
}

int main(int argc, char** argv)
{
    // The engine shares GL contexts with the widgets and runs without a GPU on the test server.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestDialogWeb test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_x11_dialogweb.moc"
