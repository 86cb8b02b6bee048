// The tray program as a user has it: on xcb under openbox with the desktop's accessibility on, so
// that its own windows are on the accessibility bus beside the GTK editor it follows.
#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QtTest>

#include <atspi/atspi.h>

#include <atomic>

#include "actions.h"
#include "frontrequest.h"
#include "menuex.h"
#include "texteditex.h"
#include "traydesktop.h"
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
    explicit TestOwnWindows(qint64 windowManager) : desktop(windowManager) {}

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void showWriterFromTrayMenuNeverWaitsOnItself();
    void hotKeyBringsWriterToFront();
    void ownWindowsAreNeverTaken_data();
    void ownWindowsAreNeverTaken();

private:
    TrayDesktop desktop;
};

void TestOwnWindows::initTestCase()
{
    const char* failed = desktop.start(*this);
    QVERIFY2(!failed, failed);
    atspi_detail::AtspiDesktop::call(
        [] {
            AtspiEventListener* listener = atspi_event_listener_new(countOwnFocus, nullptr, nullptr);
            return atspi_event_listener_register(listener, "object:state-changed:focused", nullptr);
        },
        FALSE);
    QVERIFY(desktop.startEditor(QStringLiteral("Korrelo own windows"), editorText));
    QVERIFY(desktop.followEditor());
}

void TestOwnWindows::cleanupTestCase()
{
    QVERIFY(desktop.stop(*this));
}

void TestOwnWindows::cleanup()
{
    closeWriters();
}

// The menu's item takes the focus just before it is chosen, so the bus brings news of our own menu
// while the command reads the editor.
void TestOwnWindows::showWriterFromTrayMenuNeverWaitsOnItself()
{
    constexpr int tries = 5;
    Actions* actions = getActions();
    MenuEx* menu = desktop.tray->trayMenu();
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
        QVERIFY(getEditorManager()->getActiveHelper() == desktop.shell.uia);
    }
}

// An earlier writing window stays open behind the editor, as after a day's work.
void TestOwnWindows::hotKeyBringsWriterToFront()
{
    getActions()->actionShowWriter->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(shownWriter()));
    const QList<DialogWriter*> earlier = shownWriters();
    QVERIFY(desktop.activateEditor());
    QTRY_COMPARE_WITH_TIMEOUT(xdotool({QStringLiteral("getactivewindow")}), desktop.editorWindow, 5000);
    // The user was just working in the editor, which the window manager weighs against a new window.
    QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"), desktop.editorWindow,
                                            QStringLiteral("40"), QStringLiteral("40"), QStringLiteral("click"),
                                            QStringLiteral("1")}));
    QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("End"), QStringLiteral("ctrl+shift+w")}));
    QTRY_COMPARE_WITH_TIMEOUT(shownWriters().size(), earlier.size() + 1, 5000);
    DialogWriter* writer = nullptr;
    for (DialogWriter* candidate : shownWriters()) {
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
    QVERIFY(desktop.activateEditor());
    QTRY_COMPARE_WITH_TIMEOUT(foregroundProcess(), static_cast<DWORD>(desktop.editor.processId()), 5000);
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
    const qint64 windowManager = TrayDesktop::startWindowManager();
    QApplication app(argc, argv);
    TestOwnWindows test(windowManager);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_ownwindows.moc"
