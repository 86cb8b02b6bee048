#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QWidgetAction>
#include <QtTest>

#include "actions.h"
#include "clientfixture.h"
#include "config.h"
#include "menuex.h"
#include "quitapplication.h"
#include "settingkeys.h"
#include "systemtrayicon.h"
#include "writerhook.h"
#include "xgrabber.h"

// The tray icon hosted by a real XEmbed tray (trayer) on an X server of this test's own.
class TestTrayX : public QObject, public ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void menuEntriesInOrder();
    void rightClickOpensRefreshedMenu();
    void exitGoesThroughQuitFunction();
    void clicks_data();
    void clicks();

private:
    bool clickIcon(const QString& button, int repeat = 1);

    QProcess tray;
    SystemTrayIcon* icon = nullptr;
    QStringList log;
};

void TestTrayX::initTestCase()
{
    QVERIFY(startClient());
    QSettings("Korrelo", "client").clear();
    tray.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tray.start(QStringLiteral("trayer"), {"--edge", "top", "--align", "right", "--widthtype", "request",
                                          "--height", "32", "--SetDockType", "true"});
    QVERIFY(tray.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    icon = new SystemTrayIcon;
    icon->show();
    QTRY_VERIFY_WITH_TIMEOUT(icon->geometry().width() > 0, 10000);
    setQuitFunction([this](int code) { log << QStringLiteral("quit %1").arg(code); });
    setWriterFunction([this](const QString& text) { log << "writer: " + text; });
}

void TestTrayX::init()
{
    log.clear();
    if (icon->contextMenu()->isVisible())
        icon->contextMenu()->hide();
}

void TestTrayX::cleanupTestCase()
{
    delete icon;
    setQuitFunction(nullptr);
    setWriterFunction(nullptr);
    tray.terminate();
    tray.waitForFinished(5000);
    stopClient();
}

bool TestTrayX::clickIcon(const QString& button, int repeat)
{
    // Far enough from the last click that this one is not taken for its second half.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    const QPoint centre = icon->geometry().center();
    return QProcess::execute("xdotool", {"mousemove", QString::number(centre.x()), QString::number(centre.y()),
                                         "click", "--repeat", QString::number(repeat), "--delay", "80", button})
        == 0;
}

void TestTrayX::menuEntriesInOrder()
{
    QStringList names;
    for (QAction* entry : icon->contextMenu()->actions())
        names << (entry->isSeparator() ? "-" : entry->menu() ? entry->menu()->title() : entry->objectName());
    QCOMPARE(names, (QStringList{"actionMode", "actionEnableThisEditor", "-", "actionShowWriter", "-",
                                 "actionApplyByDoubleClick", "actionShowErrorTip", "actionShowDictTip", "-",
                                 "Error Type", "Dict", "actionSetting", "-", "actionUser", "actionLogin", "-",
                                 "actionContact", "actionUpdate", "actionWeb", "actionAbout", "-", "actionExit"}));
    QCOMPARE(icon->contextMenu()->defaultAction(), getActions()->actionShowWriter);
    QVERIFY(icon->contextMenu()->toolTipsVisible());
}

void TestTrayX::rightClickOpensRefreshedMenu()
{
    QVERIFY(client->login("demo", "demo"));
    GetConfig()->setValueBool(SettingKeys::ShowDictTip, false);
    QVERIFY(clickIcon("3"));
    QTRY_VERIFY_WITH_TIMEOUT(icon->contextMenu()->isVisible(), 5000);
    // What changed since the last opening shows at once.
    QVERIFY(!getActions()->actionShowDictTip->isChecked());
    QVERIFY(getActions()->actionUser->isVisible());
    QCOMPARE(getActions()->actionUser->text(), QStringLiteral("demo"));
    QVERIFY(pressKeys(QStringLiteral("Escape")));
    QTRY_VERIFY_WITH_TIMEOUT(!icon->contextMenu()->isVisible(), 5000);
    client->logout();
    GetConfig()->setValueBool(SettingKeys::ShowDictTip, true);
}

void TestTrayX::exitGoesThroughQuitFunction()
{
    QVERIFY(clickIcon("3"));
    QMenu* menu = icon->contextMenu();
    QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 5000);
    const QPoint exit = menu->mapToGlobal(menu->actionGeometry(getActions()->actionExit).center());
    QCOMPARE(QProcess::execute("xdotool", {"mousemove", QString::number(exit.x()), QString::number(exit.y()),
                                           "sleep", "0.2", "click", "1"}),
             0);
    QTRY_COMPARE_WITH_TIMEOUT(log, QStringList{"quit 0"}, 5000);
}

void TestTrayX::clicks_data()
{
    QTest::addColumn<int>("repeat");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("single click does nothing") << 1 << QStringList();
    QTest::newRow("double click opens the writer") << 2 << QStringList{"writer: "};
}

void TestTrayX::clicks()
{
    QFETCH(int, repeat);
    QFETCH(QStringList, calls);
    QVERIFY(clickIcon("1", repeat));
    if (!calls.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(log, calls, 5000);
    QTest::qWait(500);
    QCOMPARE(log, calls);
    QVERIFY(!icon->contextMenu()->isVisible());
}

int main(int argc, char** argv)
{
    // The tray is reached over XEmbed: no StatusNotifier host may be found on a session bus.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestTrayX test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ownx_tray.moc"
