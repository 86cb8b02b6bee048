// The tray program as a user has it: on xcb under openbox with the desktop's accessibility on, so
// that its own windows are on the accessibility bus beside the GTK editor it follows.
#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QtTest>

#include <atspi/atspi.h>

#include <atomic>
#include <csignal>

#include "actions.h"
#include "atspi/atspidesktop.h"
#include "buscommands.h"
#include "clientfixture.h"
#include "dialogwriter.h"
#include "editormanager.h"
#include "frontrequest.h"
#include "menuex.h"
#include "msaaclienthelper.h"
#include "systemtrayicon.h"
#include "texteditex.h"
#include "uiaclienthelper.h"
#include "window.h"

using buscommands::run;

namespace {

const QString editorText = QStringLiteral("他门在会议上讨论了计划😀，第二句也有错字。\n下一行。");

// Focus events the bus reports from this very process.
std::atomic<int> ownFocusEvents{0};

void countOwnFocus(AtspiEvent* event, void*)
{
    auto* bus = atspi_detail::AtspiDesktop::instance();
    if (event->detail1 && event->source && bus->processOf(event->source) == GetCurrentProcessId())
        ++ownFocusEvents;
    g_boxed_free(ATSPI_TYPE_EVENT, event);
}

QString xdotool(const QStringList& args)
{
    QByteArray out;
    return run(QStringLiteral("xdotool"), args, &out) ? QString::fromUtf8(out.trimmed()) : QString();
}

QList<DialogWriter*> writers()
{
    QList<DialogWriter*> shown;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* writer = qobject_cast<DialogWriter*>(widget); writer && writer->isVisible())
            shown.append(writer);
    }
    return shown;
}

DialogWriter* shownWriter()
{
    const QList<DialogWriter*> shown = writers();
    return shown.isEmpty() ? nullptr : shown.first();
}

QString writerText(DialogWriter* writer)
{
    auto* edit = writer ? writer->findChild<TextEditEx*>(QStringLiteral("textEdit")) : nullptr;
    return edit ? edit->toPlainText() : QString();
}

DWORD foregroundProcess()
{
    DWORD pid = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &pid);
    return pid;
}

} // namespace

class TestOwnWindows : public QObject, public ClientFixture
{
    Q_OBJECT
public:
    explicit TestOwnWindows(qint64 windowManager) : windowManager(windowManager) {}

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void showWriterFromTrayMenuNeverWaitsOnItself();
    void hotKeyBringsWriterToFront();
    void ownWindowsAreNeverTaken_data();
    void ownWindowsAreNeverTaken();

private:
    void followEditor();

    const qint64 windowManager;
    QProcess busLauncher;
    QProcess editor;
    QTemporaryDir dir;
    QString editorWindow;
    UIAClientHelper* uia = nullptr;
    MSAAClientHelper* msaa = nullptr;
    SystemTrayIcon* tray = nullptr;
};

void TestOwnWindows::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY2(windowManager > 0, "openbox did not start");
    QVERIFY(buscommands::startBusLauncher(busLauncher));
    QTRY_VERIFY_WITH_TIMEOUT(buscommands::setAccessibility(true), 10000);
    QVERIFY(atspi_detail::AtspiDesktop::instance());
    atspi_detail::AtspiDesktop::call(
        [] {
            AtspiEventListener* listener = atspi_event_listener_new(countOwnFocus, nullptr, nullptr);
            return atspi_event_listener_register(listener, "object:state-changed:focused", nullptr);
        },
        FALSE);
    QVERIFY(startClient());
    EditorManager* manager = getEditorManager();
    uia = new UIAClientHelper;
    msaa = new MSAAClientHelper;
    manager->addClientHelper(uia);
    manager->addClientHelper(msaa);
    tray = new SystemTrayIcon;

    editorWindow = buscommands::startTextEditor(editor, dir.filePath(QStringLiteral("page.txt")),
                                                QStringLiteral("Korrelo own windows"), editorText);
    QVERIFY(!editorWindow.isEmpty());
    followEditor();
}

void TestOwnWindows::cleanupTestCase()
{
    delete tray;
    delete getEditorManager();
    delete uia;
    delete msaa;
    stopClient();
    editor.kill();
    editor.waitForFinished();
    busLauncher.terminate();
    QVERIFY(busLauncher.waitForFinished());
    ::kill(static_cast<pid_t>(windowManager), SIGTERM);
}

void TestOwnWindows::cleanup()
{
    while (DialogWriter* writer = shownWriter())
        writer->close();
}

void TestOwnWindows::followEditor()
{
    QVERIFY(buscommands::focusUntil(editorWindow, [this] { return getEditorManager()->getActiveHelper() == uia; }));
}

// The menu's item takes the focus just before it is chosen, so the bus brings news of our own menu
// while the command reads the editor.
void TestOwnWindows::showWriterFromTrayMenuNeverWaitsOnItself()
{
    constexpr int tries = 5;
    Actions* actions = getActions();
    MenuEx* menu = tray->trayMenu();
    QVERIFY(menu);
    for (int i = 0; i < tries; ++i) {
        const int seenBefore = ownFocusEvents;
        menu->popup(QPoint(300 + 20 * i, 200));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        menu->setActiveAction(actions->actionApplyByDoubleClick);
        // Our own windows really are on the bus.
        QTRY_VERIFY_WITH_TIMEOUT(ownFocusEvents > seenBefore, 10000);
        menu->setActiveAction(actions->actionShowWriter);
        QElapsedTimer clock;
        clock.start();
        // The menu hands the chosen action on once it has closed.
        QTest::keyClick(menu, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(shownWriter(), 30000);
        const qint64 took = clock.elapsed();
        DialogWriter* writer = shownWriter();
        QCOMPARE(writerText(writer), editorText);
        QVERIFY2(took < 1000, qPrintable(QStringLiteral("try %1 took %2 ms").arg(i + 1).arg(took)));
        writer->close();
        QVERIFY(getEditorManager()->getActiveHelper() == uia);
    }
}

// An earlier writing window stays open behind the editor, as after a day's work.
void TestOwnWindows::hotKeyBringsWriterToFront()
{
    getActions()->actionShowWriter->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(shownWriter()));
    const QList<DialogWriter*> earlier = writers();
    QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), editorWindow}));
    QTRY_COMPARE_WITH_TIMEOUT(xdotool({QStringLiteral("getactivewindow")}), editorWindow, 5000);
    // The user was just working in the editor, which the window manager weighs against a new window.
    QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"), editorWindow,
                                            QStringLiteral("40"), QStringLiteral("40"), QStringLiteral("click"),
                                            QStringLiteral("1")}));
    QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("End"), QStringLiteral("ctrl+shift+w")}));
    QTRY_COMPARE_WITH_TIMEOUT(writers().size(), earlier.size() + 1, 5000);
    DialogWriter* writer = nullptr;
    for (DialogWriter* candidate : writers()) {
        if (!earlier.contains(candidate))
            writer = candidate;
    }
    QCOMPARE(writerText(writer), editorText);
    QTRY_COMPARE_WITH_TIMEOUT(xdotool({QStringLiteral("getactivewindow")}), QString::number(writer->winId()), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(writer->isActiveWindow(), 5000);
}

void TestOwnWindows::ownWindowsAreNeverTaken_data()
{
    QTest::addColumn<bool>("writingWindow");
    QTest::newRow("a line edit of ours") << false;
    QTest::newRow("the writing window") << true;
}

// Our windows, active and focused, reach neither the trackers nor the desktop's handles.
void TestOwnWindows::ownWindowsAreNeverTaken()
{
    QFETCH(bool, writingWindow);
    QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), editorWindow}));
    QTRY_COMPARE_WITH_TIMEOUT(foregroundProcess(), static_cast<DWORD>(editor.processId()), 5000);
    const QSharedPointer<EditorParam> followed = getEditorManager()->getActiveEditorParam();
    QVERIFY(followed);

    const int seenBefore = ownFocusEvents;
    QWidget plain;
    auto* line = new QLineEdit(QStringLiteral("我们自己的文字"), &plain);
    QWidget* ours = &plain;
    if (writingWindow) {
        getActions()->actionShowWriter->trigger();
        ours = shownWriter();
    } else {
        plain.show();
        line->setFocus();
        FrontRequest::bringToFront(&plain);
    }
    QVERIFY(ours);
    QTRY_VERIFY_WITH_TIMEOUT(ours->isActiveWindow(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(ownFocusEvents > seenBefore, 10000);
    // Whatever the bus thread made of those events has reached the GUI thread by now.
    QTest::qWait(500);
    QVERIFY(foregroundProcess() != GetCurrentProcessId());
    QCOMPARE(getEditorManager()->getActiveEditorParam()->hwnd, followed->hwnd);
}

int main(int argc, char** argv)
{
    // The window manager runs before the program connects to the display, as on a desktop: what the
    // window manager supports is read once, at start.
    qint64 windowManager = 0;
    if (QProcess::startDetached(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")}, QString(), &windowManager)) {
        for (int tries = 0; tries < 100; ++tries) {
            QProcess check;
            check.start(QStringLiteral("wmctrl"), {QStringLiteral("-m")});
            if (check.waitForFinished() && check.exitCode() == 0)
                break;
            QThread::msleep(100);
        }
    }
    QApplication app(argc, argv);
    TestOwnWindows test(windowManager);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_ownwindows.moc"
