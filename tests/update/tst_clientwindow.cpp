#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>

#include "clientfixture.h"
#include "clienthelper.h"
#include "comapi.h"
#include "dialogabout.h"
#include "dialogclient.h"
#include "dialoglogin.h"
#include "editormanager.h"
#include "sim/desktop.h"

// A tracker that records what the window asks of it.
class RecordingTracker : public ClientHelper
{
public:
    QString pageText = QStringLiteral("他门说");
    CHECK_DATAS datas;
    QStringList calls;

    QString getCurrentPageText(QSharedPointer<EditorParam>, bool) override
    {
        calls << "current";
        return pageText;
    }
    QString getNextPageText(QSharedPointer<EditorParam>, bool, int count) override
    {
        calls << QString("next pages %1").arg(count);
        return pageText;
    }
    bool hasData(QSharedPointer<EditorParam>) override { return !datas.empty(); }
    void showErrors(const CHECK_DATAS& found, QSharedPointer<EditorParam>, const QVector<int>&) override
    {
        calls << QString("show %1").arg(found.size());
        datas = found;
    }
    CHECK_DATAS* getCheckDatas(QSharedPointer<EditorParam>) override { return &datas; }
    void clearErrors(QSharedPointer<EditorParam>) override
    {
        calls << "clear";
        datas.clear();
    }
    bool nextError(QSharedPointer<EditorParam>) override { return calls << "next", true; }
    bool prevError(QSharedPointer<EditorParam>) override { return calls << "previous", true; }
    void reportError(QSharedPointer<EditorParam>) override { calls << "report"; }
    void enableErrorTip(bool enable) override { calls << QString("tip %1").arg(enable); }
};

class TestClientWindow : public QObject, public ClientFixture
{
    Q_OBJECT

public slots:
    void openUrl(const QUrl& url) { openedUrls.append(url); }

private slots:
    void initTestCase() { QVERIFY(startClient(this)); }
    void init()
    {
        resetClient();
        sim::reset();
    }
    void cleanupTestCase() { stopClient(); }

    void firstShowCollapsesAndLaterWindowsKeepTheirState();
    void withoutEditor();
    void followsTheDetectedEditor_data();
    void followsTheDetectedEditor();
    void checkResultOnlyForItsOwnCheck();
    void emptyPageTextIsReported_data();
    void emptyPageTextIsReported();
    void errorButtonsReachTheTracker_data();
    void errorButtonsReachTheTracker();
    void logoutSwitchesTextsBeforeTheBox();
    void sharedWindowsSurviveTheirFirstParent();
    void pageButtonsOpenTheirAddresses_data();
    void pageButtonsOpenTheirAddresses();
    void settingsAreRemembered();

private:
    QSharedPointer<EditorParam> validEditor()
    {
        auto editor = QSharedPointer<EditorParam>::create();
        editor->hwnd = sim::createWindow({});
        editor->setAcc(sim::accessiblePtr(sim::attachAccessible(editor->hwnd, OBJID_CLIENT, {})));
        return editor;
    }
    static QToolButton* tool(DialogClient& w, const char* name) { return w.findChild<QToolButton*>(name); }
    static QString message(DialogClient& w) { return w.findChild<QLabel*>("labelMsg")->text(); }
};

// Runs first: the stored state applies to the first window shown in the process only.
void TestClientWindow::firstShowCollapsesAndLaterWindowsKeepTheirState()
{
    DialogClient first;
    first.show();
    QVERIFY(first.findChild<QGroupBox*>("groupTools")->isHidden());
    QVERIFY(first.findChild<QGroupBox*>("groupSetting")->isHidden());
    QCOMPARE(QSettings("Korrelo", "client").value("DialogClientExpand").toBool(), false);
    tool(first, "btnExpand")->click();
    QVERIFY(!first.findChild<QGroupBox*>("groupTools")->isHidden());
    QCOMPARE(QSettings("Korrelo", "client").value("DialogClientExpand").toBool(), true);
    first.close();
    QVERIFY(QSettings("Korrelo", "client").contains("DialogClientX"));
    QSettings("Korrelo", "client").setValue("DialogClientExpand", false);
    DialogClient second;
    second.show();
    QVERIFY(!second.findChild<QGroupBox*>("groupTools")->isHidden());
    QVERIFY(!(second.windowFlags() & Qt::BypassWindowManagerHint));
    QVERIFY(second.windowFlags() & Qt::WindowStaysOnTopHint);
}

void TestClientWindow::withoutEditor()
{
    DialogClient window;
    QCOMPARE(message(window), QString("Can't attach WPS or Word!"));
    for (const char* name : {"btnCheckCurrentPage", "btnCheckNext10Pages", "btnRemoveAll", "btnPrevious", "btnNext"})
        QVERIFY2(!tool(window, name)->isEnabled(), name);
    QCOMPARE(tool(window, "btnCheckNext10Pages")->text(), QString("Check Next 10 Pages"));
    QVERIFY(window.windowTitle().endsWith(" 3.5"));
    // Clicks without an editor change nothing and ask for nothing.
    tool(window, "btnCheckCurrentPage")->click();
    tool(window, "btnRemoveAll")->click();
    QVERIFY(boxes.boxes.isEmpty());
    window.checkDone(CHECK_DATAS(2));
}

void TestClientWindow::followsTheDetectedEditor_data()
{
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("errors");
    QTest::addColumn<QString>("shown");
    QTest::newRow("valid editor") << true << "report.docx" << 0 << "report.docx";
    QTest::newRow("null editor") << false << "gone" << 0 << "gone";
    QTest::newRow("title markup escaped") << true << "<b>x</b>" << 0 << "&lt;b&gt;x&lt;/b&gt;";
    QTest::newRow("errors counted") << true << "a.txt" << 3
                                    << "a.txt <span style='color:red;'>( 3 Errors ) </span>";
}

void TestClientWindow::followsTheDetectedEditor()
{
    QFETCH(bool, valid);
    QFETCH(QString, title);
    QFETCH(int, errors);
    QFETCH(QString, shown);
    RecordingTracker tracker;
    tracker.datas = CHECK_DATAS(static_cast<size_t>(errors));
    DialogClient window;
    emit getEditorManager()->editorDetected(&tracker, title, valid ? validEditor() : QSharedPointer<EditorParam>());
    QCOMPARE(message(window), shown);
    QCOMPARE(tool(window, "btnCheckCurrentPage")->isEnabled(), valid);
    QCOMPARE(tool(window, "btnRemoveAll")->isEnabled(), valid && errors > 0);
    QCOMPARE(tracker.calls, QStringList{"tip 1"});
}

void TestClientWindow::checkResultOnlyForItsOwnCheck()
{
    RecordingTracker tracker;
    DialogClient window;
    DialogClient bystander;
    const auto editor = validEditor();
    window.editorDetected(&tracker, "doc", editor);
    bystander.editorDetected(&tracker, "doc", editor);
    QVERIFY(client->login("demo", "demo"));
    // A check from elsewhere reaches no tracker through the windows.
    QVERIFY(checkAndWait(QStringLiteral("他门说")));
    QVERIFY(!tracker.calls.contains("show 1"));
    QSignalSpy done(client, &CheckerClient::checkDone);
    tool(window, "btnCheckCurrentPage")->click();
    QVERIFY(done.wait(15000));
    QCOMPARE(tracker.calls.filter("show").size(), 1);
    QCOMPARE(message(window), QString("<span style='color:red;'>Found 1 Errors</span>"));
    QCOMPARE(message(bystander), QString("doc"));
    QVERIFY(tool(window, "btnNext")->isEnabled());
    QCOMPARE(tool(window, "btnUser")->text(), QString("demo"));
}

void TestClientWindow::emptyPageTextIsReported_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("call");
    QTest::newRow("current page") << QByteArray("btnCheckCurrentPage") << "Can't Get Current Page Text" << "current";
    QTest::newRow("next pages") << QByteArray("btnCheckNext10Pages") << "Can't Get All Page Text" << "next pages 10";
}

void TestClientWindow::emptyPageTextIsReported()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, text);
    QFETCH(QString, call);
    RecordingTracker tracker;
    tracker.pageText.clear();
    DialogClient window;
    window.editorDetected(&tracker, "doc", validEditor());
    tool(window, button)->click();
    QCOMPARE(boxes.texts(), QStringList{text});
    QCOMPARE(boxes.boxes.first().icon, QMessageBox::Critical);
    QVERIFY(tracker.calls.contains(call));
    QVERIFY(service.requestsOf("check").isEmpty());
}

void TestClientWindow::errorButtonsReachTheTracker_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("call");
    QTest::newRow("remove all") << QByteArray("btnRemoveAll") << "clear";
    QTest::newRow("previous") << QByteArray("btnPrevious") << "previous";
    QTest::newRow("next") << QByteArray("btnNext") << "next";
    QTest::newRow("report") << QByteArray("btnReportError") << "report";
}

void TestClientWindow::errorButtonsReachTheTracker()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, call);
    RecordingTracker tracker;
    tracker.datas = CHECK_DATAS(1);
    DialogClient window;
    window.editorDetected(&tracker, "doc", validEditor());
    tracker.calls.clear();
    tool(window, button)->click();
    QCOMPARE(tracker.calls, QStringList{call});
}

void TestClientWindow::logoutSwitchesTextsBeforeTheBox()
{
    QVERIFY(client->login("vip", "vip"));
    DialogClient window;
    QCOMPARE(tool(window, "btnUser")->text(), QString("vip (VIP)"));
    QCOMPARE(tool(window, "btnLogin")->text(), QString("Logout"));
    QCOMPARE(tool(window, "btnCheckNext10Pages")->text(), QString("Check Next 50 Pages"));
    QStringList textsAtBox;
    client->setMsgBoxHandler([&](const QString& text, QMessageBox::Icon, QMessageBox::StandardButtons) {
        textsAtBox << text << tool(window, "btnLogin")->text() << tool(window, "btnUser")->text();
        return int(QMessageBox::Ok);
    });
    tool(window, "btnLogin")->click();
    boxes.install(client);
    QCOMPARE(textsAtBox, (QStringList{"Logout succeed", "Login", "User"}));
    QVERIFY(!client->isLogin());
}

void TestClientWindow::sharedWindowsSurviveTheirFirstParent()
{
    for (int round = 0; round < 2; ++round) {
        auto window = std::make_unique<DialogClient>();
        tool(*window, "btnAbout")->click();
        auto* about = window->findChild<DialogAbout*>();
        QVERIFY(about);
        QVERIFY(about->isVisible());
        whenShown<DialogLogin>([](DialogLogin* login) { login->reject(); });
        tool(*window, "btnLogin")->click();
        QVERIFY(window->findChild<DialogLogin*>());
        // The window goes, and the two windows it parented with it.
    }
}

void TestClientWindow::pageButtonsOpenTheirAddresses_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("path");
    QTest::newRow("contact") << QByteArray("btnContact") << "/site0/contact/";
    QTest::newRow("web") << QByteArray("btnWeb") << "/site0/";
    QTest::newRow("update page") << QByteArray("btnUpdate") << "/site0/krl/update/client/";
}

void TestClientWindow::pageButtonsOpenTheirAddresses()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, path);
    DialogClient window;
    tool(window, button)->click();
    QCOMPARE(openedUrls.size(), 1);
    QCOMPARE(openedUrls.first().path(), path);
}

void TestClientWindow::settingsAreRemembered()
{
    RecordingTracker tracker;
    DialogClient window;
    window.editorDetected(&tracker, "doc", validEditor());
    tracker.calls.clear();
    window.findChild<QCheckBox*>("cbxShowErrorTip")->click();
    window.findChild<QCheckBox*>("cbxShowDictTip")->click();
    QCOMPARE(tracker.calls, QStringList{"tip 0"});
    QSettings settings("Korrelo", "client");
    QCOMPARE(settings.value("ShowErrorTip").toBool(), false);
    QCOMPARE(settings.value("ShowDictTip").toBool(), false);
    DialogClient next;
    QVERIFY(!next.findChild<QCheckBox*>("cbxShowErrorTip")->isChecked());
    QVERIFY(!next.findChild<QCheckBox*>("cbxShowDictTip")->isChecked());
}

QTEST_MAIN(TestClientWindow)
#include "tst_clientwindow.moc"
