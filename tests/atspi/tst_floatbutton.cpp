// The floating button beside a GTK editor (zenity) on xcb under openbox, with the desktop's
// accessibility on: it is there while the user can use it on that editor, and nowhere else.
#include <QAction>
#include <QScreen>
#include <QtTest>

#include "actions.h"
#include "dialogfloat.h"
#include "dialogsetting.h"
#include "menuex.h"
#include "texteditex.h"
#include "traydesktop.h"
#include "window.h"

using buscommands::run;

namespace {

QRect windowRect(HWND hwnd)
{
    RECT r;
    if (!GetWindowRect(hwnd, &r))
        return QRect();
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

} // namespace

class TestFloatButton : public QObject, public ClientFixture
{
    Q_OBJECT
public:
    explicit TestFloatButton(qint64 windowManager) : desktop(windowManager) {}

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void comesBackAfterAMenu_data();
    void comesBackAfterAMenu();
    void hidesBehindOurOwnWindows_data();
    void hidesBehindOurOwnWindows();
    void staysWithTheVisibleEditor_data();
    void staysWithTheVisibleEditor();
    void leavesWithItsProgram_data();
    void leavesWithItsProgram();

private:
    void startEditor();
    // The button is shown inside the editor's window and the screen.
    bool besideEditor() const;

    TrayDesktop desktop;
};

void TestFloatButton::initTestCase()
{
    const char* failed = desktop.start(*this);
    QVERIFY2(!failed, failed);
    // The button's native window is made before any editor is followed, so placing it later moves a
    // window the X server already knows.
    getDialogFloat()->show();
    getDialogFloat()->hide();
}

void TestFloatButton::cleanupTestCase()
{
    QVERIFY(desktop.stop(*this));
}

void TestFloatButton::init()
{
    if (desktop.editor.state() == QProcess::NotRunning)
        startEditor();
    QVERIFY(!desktop.editorWindow.isEmpty());
    QVERIFY(desktop.activateEditor());
    QTRY_VERIFY_WITH_TIMEOUT(getEditorManager()->getActiveHelper() == desktop.shell.uia, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(besideEditor(), 10000);
}

void TestFloatButton::cleanup()
{
    closeWriters();
}

void TestFloatButton::startEditor()
{
    if (!desktop.startEditor(QStringLiteral("Korrelo floating button"),
                             QStringLiteral("他门在会议上讨论了计划。\n下一行。")))
        return;
    run(QStringLiteral("xdotool"), {QStringLiteral("windowsize"), QStringLiteral("--sync"), desktop.editorWindow,
                                    QStringLiteral("600"), QStringLiteral("400")});
    desktop.moveEditor(QPoint(100, 100));
    desktop.followEditor();
}

bool TestFloatButton::besideEditor() const
{
    const DialogFloat* button = existingDialogFloat();
    const QSharedPointer<EditorParam> followed = getEditorManager()->getActiveEditorParam();
    if (!button || !button->isVisible() || !followed)
        return false;
    const QRect frame = windowRect(GetAncestor(followed->hwnd, GA_ROOT));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return frame.contains(button->geometry()) && screen.contains(button->geometry());
}

void TestFloatButton::comesBackAfterAMenu_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("keys");
    QTest::newRow("Escape in the button's menu") << "button" << "Escape";
    QTest::newRow("Escape in the tray menu") << "tray" << "Escape";
    QTest::newRow("Escape in a submenu of the button's menu") << "button" << "Up Up Right Escape Escape";
    QTest::newRow("Check Current Page in the button's menu") << "button" << "Down Return";
}

void TestFloatButton::comesBackAfterAMenu()
{
    QFETCH(QString, menu);
    QFETCH(QString, keys);
    DialogFloat* button = getDialogFloat();
    QMenu* opened = nullptr;
    if (menu == QLatin1String("button")) {
        auto* half = button->findChild<QWidget*>(QStringLiteral("btnLogoMenu"));
        const QPoint at = half->mapToGlobal(half->rect().center());
        QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(at.x()),
                                                QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")}));
        opened = button->menu();
    } else {
        opened = desktop.tray->trayMenu();
        opened->popup(QPoint(700, 600));
    }
    QTRY_VERIFY_WITH_TIMEOUT(opened->isVisible(), 10000);
    QVERIFY(QTest::qWaitForWindowExposed(opened));
    // The user reads the menu for a moment.
    QTest::qWait(300);
    QVERIFY(run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--delay"),
                                                       QStringLiteral("150")} + keys.split(QLatin1Char(' '))));
    QTRY_VERIFY_WITH_TIMEOUT(!opened->isVisible(), 10000);
    if (keys.endsWith(QLatin1String("Return"))) {
        // The editor cannot show marks: its page went to the writing window, which hides the button.
        QTRY_VERIFY_WITH_TIMEOUT(shownWriter() && shownWriter()->isActiveWindow(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!button->isVisible(), 2000);
        shownWriter()->close();
    }
    QTRY_VERIFY_WITH_TIMEOUT(besideEditor(), 3000);
    // And it stays.
    QTest::qWait(500);
    QVERIFY(besideEditor());
}

void TestFloatButton::hidesBehindOurOwnWindows_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("writing window from the hot key") << "hot key";
    QTest::newRow("settings") << "settings";
}

void TestFloatButton::hidesBehindOurOwnWindows()
{
    QFETCH(QString, window);
    DialogFloat* button = getDialogFloat();
    std::unique_ptr<DialogSetting> settings;
    QWidget* ours = nullptr;
    if (window == QLatin1String("hot key")) {
        QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+shift+w")}));
        QTRY_VERIFY_WITH_TIMEOUT(ours = shownWriter(), 10000);
    } else {
        settings = std::make_unique<DialogSetting>();
        settings->show();
        settings->activateWindow();
        ours = settings.get();
    }
    QTRY_VERIFY_WITH_TIMEOUT(ours->isActiveWindow(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!button->isVisible(), 2000);
    // Nothing the editor does behind our window brings it back.
    QVERIFY(desktop.moveEditor(QPoint(120, 110)));
    QTest::qWait(800);
    QVERIFY(!button->isVisible());
    ours->close();
    QVERIFY(desktop.activateEditor());
    QTRY_VERIFY_WITH_TIMEOUT(besideEditor(), 5000);
}

void TestFloatButton::staysWithTheVisibleEditor_data()
{
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("shown");
    QTest::newRow("moved within the screen") << QPoint(300, 200) << true;
    QTest::newRow("moved past the screen's right edge") << QPoint(1400, 200) << false;
    QTest::newRow("moved past the screen's bottom edge") << QPoint(200, 1100) << false;
    QTest::newRow("half past the screen's right edge") << QPoint(1000, 200) << true;
}

void TestFloatButton::staysWithTheVisibleEditor()
{
    QFETCH(QPoint, to);
    QFETCH(bool, shown);
    DialogFloat* button = getDialogFloat();
    QVERIFY(desktop.moveEditor(to));
    if (shown) {
        QTRY_VERIFY_WITH_TIMEOUT(besideEditor() && windowRect(GetAncestor(getEditorManager()->getActiveEditorParam()->hwnd, GA_ROOT)).topLeft().x() >= to.x() - 20, 5000);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(!button->isVisible(), 5000);
        QTest::qWait(500);
        QVERIFY(!button->isVisible());
    }
    // A move back into view brings it back.
    QVERIFY(desktop.moveEditor(QPoint(100, 100)));
    QTRY_VERIFY_WITH_TIMEOUT(besideEditor(), 5000);
}

void TestFloatButton::leavesWithItsProgram_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("window closed") << "close";
    QTest::newRow("program killed") << "kill";
}

void TestFloatButton::leavesWithItsProgram()
{
    QFETCH(QString, how);
    DialogFloat* button = getDialogFloat();
    // Nothing of another program takes the focus afterwards.
    if (how == QLatin1String("kill"))
        desktop.editor.kill();
    else
        QVERIFY(run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), desktop.editorWindow}));
    QVERIFY(desktop.editor.waitForFinished(5000));
    QTRY_VERIFY_WITH_TIMEOUT(!button->isVisible(), 1500);
    QVERIFY(!getEditorManager()->getActiveEditorParam());
    QVERIFY(!getEditorManager()->getActiveHelper());
    // The hot key's writing window opens empty, as with no editor.
    getActions()->actionShowWriter->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(shownWriter(), 10000);
    QVERIFY(shownWriter()->findChild<TextEditEx*>(QStringLiteral("textEdit"))->toPlainText().isEmpty());
    QTest::qWait(500);
    QVERIFY(!button->isVisible());
}

int main(int argc, char** argv)
{
    const qint64 windowManager = TrayDesktop::startWindowManager();
    QApplication app(argc, argv);
    TestFloatButton test(windowManager);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_floatbutton.moc"
