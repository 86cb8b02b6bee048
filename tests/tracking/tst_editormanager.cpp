#include <QtTest>

#include "checkerclient.h"
#include "comapi.h"
#include "config.h"
#include "editormanager.h"
#include "sim/desktop.h"


namespace {
// A tracker that takes editors on demand and records what it was offered.
class FakeTracker : public ClientHelper
{
public:
    bool takes = true;
    int nestedLoopMs = 0;
    QVector<QSharedPointer<EditorParam>> offered;

    bool focusChanged(QSharedPointer<EditorParam> param) override
    {
        offered.append(param);
        if (nestedLoopMs > 0) {
            // As a tracker showing a message box would: the GUI thread's timers keep running.
            QEventLoop loop;
            QTimer::singleShot(nestedLoopMs, &loop, &QEventLoop::quit);
            loop.exec();
        }
        if (!takes)
            return false;
        curDocument = param;
        emit editorDetected(this, QStringLiteral("Editor"), param);
        return true;
    }
};

struct WinEventSeen
{
    DWORD event;
    HWND hwnd;
    LONG idObject;
    LONG idChild;
    DWORD idEventThread;
    DWORD time;
    bool focusChanged;
    bool onGuiThread;
    bool hasObject;
    bool hasHook;
};

// An edit window of another program, with its accessible object.
HWND editorWindow(const std::u16string& image = u"C:\\Program Files\\Note\\Note.exe", LONG objectId = OBJID_CLIENT,
                  DWORD pid = 0)
{
    sim::WindowSpec top;
    top.title = u"Note";
    top.processId = pid ? pid : sim::createProcess({image});
    HWND frame = sim::createWindow(top);
    sim::WindowSpec edit;
    edit.className = u"Edit";
    edit.parent = frame;
    HWND hwnd = sim::createWindow(edit);
    sim::AccessibleSpec desc;
    desc.role = ROLE_SYSTEM_TEXT;
    sim::attachAccessible(hwnd, objectId, desc);
    return hwnd;
}
}

class TestEditorManager : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void burstIsExaminedOnceForItsLastEvent();
    void focusAndLocationAreEachExamined_data();
    void focusAndLocationAreEachExamined();
    void untakenEditorLeavesActiveEditor();
    void focusOnNoEditorLeavesNone();
    void whiteListModeHidesUnlistedPrograms();
    void detectionSetsTheHost();
    void executableNameSources_data();
    void executableNameSources();
    void nestedLoopSeesTheEventOnce();
    void hookThreadFiltersObjects_data();
    void hookThreadFiltersObjects();
    void refusedHookShowsOneMessage_data();
    void refusedHookShowsOneMessage();
    void automationElementIsOffered_data();
    void automationElementIsOffered();
    void deletedManagerIsGone();

private:
    // Records the manager's winEvent signals once its hook thread runs; the tracker joins first.
    void watch(EditorManager& manager, FakeTracker* tracker = nullptr, bool takes = true);

    QVector<WinEventSeen> seen;
    int comBaseline = 0;
};

void TestEditorManager::initTestCase()
{
    CoInitialize(nullptr);
    comBaseline = sim::comInitTotal();
}

void TestEditorManager::init()
{
    sim::reset();
    seen.clear();
    GetConfig()->setValueBool(QStringLiteral("BlackMode"), true);
}

void TestEditorManager::cleanup()
{
    // Managers are gone: their hook threads ended and every handle was closed.
    QCOMPARE(sim::installedHooks(), 0);
    QCOMPARE(sim::openProcessHandles(), 0);
    QCOMPARE(sim::comInitTotal(), comBaseline);
    sim::clearFailures();
}

void TestEditorManager::watch(EditorManager& manager, FakeTracker* tracker, bool takes)
{
    if (tracker) {
        tracker->takes = takes;
        manager.addClientHelper(tracker);
    }
    QThread* gui = thread();
    connect(&manager, &EditorManager::winEvent, this,
            [this, gui](IUnknown* acc, HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG idObject, LONG idChild,
                        DWORD idEventThread, DWORD time, bool focusChanged) {
                seen.append({event, hwnd, idObject, idChild, idEventThread, time, focusChanged,
                             QThread::currentThread() == gui, acc != nullptr, hook != nullptr});
            });
    QTRY_COMPARE(sim::installedHooks(), 2);
}

void TestEditorManager::burstIsExaminedOnceForItsLastEvent()
{
    // A busy machine can stall the burst past the 100 ms delay; such a round proves nothing and is
    // run again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        seen.clear();
        EditorManager manager;
        FakeTracker tracker;
        watch(manager, &tracker);
        const HWND windows[] = {editorWindow(), editorWindow(), editorWindow()};
        QElapsedTimer clock;
        qint64 longestGap = 0;
        for (HWND hwnd : windows) {
            clock.restart();
            sim::setFocus(hwnd);
            QTest::qWait(30);
            longestGap = std::max(longestGap, clock.elapsed());
        }
        QTRY_VERIFY(!tracker.offered.isEmpty());
        QTest::qWait(250);
        if (longestGap >= 90)
            continue;
        QCOMPARE(tracker.offered.size(), 1);
        QCOMPARE(tracker.offered[0]->hwnd, windows[2]);
        QCOMPARE(seen.size(), 1);
        QVERIFY(seen[0].focusChanged);
        QCOMPARE(manager.getActiveHelper(), &tracker);
        QCOMPARE(manager.getActiveEditorName(), QStringLiteral("Editor"));
        QCOMPARE(manager.getActiveEditorParam()->exeName, QStringLiteral("note.exe"));
        return;
    }
    QSKIP("the machine was too busy to send a burst within 90 ms");
}

void TestEditorManager::focusAndLocationAreEachExamined_data()
{
    QTest::addColumn<bool>("withTracker");
    QTest::newRow("one tracker") << true;
    QTest::newRow("no trackers: nothing") << false;
}

void TestEditorManager::focusAndLocationAreEachExamined()
{
    QFETCH(bool, withTracker);
    EditorManager manager;
    FakeTracker tracker;
    watch(manager, withTracker ? &tracker : nullptr);
    HWND hwnd = editorWindow();
    sim::setFocus(hwnd);
    sim::moveWindow(hwnd, RECT{0, 0, 100, 100});
    if (!withTracker) {
        QTest::qWait(300);
        QVERIFY(seen.isEmpty());
        QCOMPARE(sim::callCount(sim::Call::AccessibleObjectFromEvent), 0);
        return;
    }
    QTRY_COMPARE(seen.size(), 2);
    QTest::qWait(250);
    QCOMPARE(seen.size(), 2);
    QCOMPARE(tracker.offered.size(), 1);     // location changes are not offered to trackers
    std::sort(seen.begin(), seen.end(), [](const WinEventSeen& a, const WinEventSeen& b) { return a.event < b.event; });
    QCOMPARE(seen[0].event, EVENT_OBJECT_FOCUS);
    QVERIFY(seen[0].focusChanged);
    QCOMPARE(seen[1].event, EVENT_OBJECT_LOCATIONCHANGE);
    QCOMPARE(seen[1].idObject, OBJID_WINDOW);
    QVERIFY(!seen[1].focusChanged);
}

void TestEditorManager::untakenEditorLeavesActiveEditor()
{
    EditorManager manager;
    FakeTracker first;
    FakeTracker second;
    first.takes = second.takes = false;
    manager.addClientHelper(&first);
    manager.addClientHelper(&second);
    watch(manager);
    QSignalSpy detected(&manager, &EditorManager::editorDetected);
    sim::setFocus(editorWindow());
    QTRY_COMPARE(seen.size(), 1);
    QVERIFY(!seen[0].focusChanged);
    QCOMPARE(first.offered.size(), 1);
    QCOMPARE(second.offered.size(), 1);      // asked in turn
    QVERIFY(!manager.getActiveHelper());
    QVERIFY(!manager.getActiveEditorParam());
    QCOMPARE(detected.count(), 0);
    manager.enableCurrentEditor(false);      // nothing to switch off yet
    QVERIFY(!GetConfig()->getValue(QStringLiteral("note.exe"), QVariant(), QStringLiteral("app")).isValid());
}

// Once the focus is on something no tracker takes, the editor before it is no longer there for a
// command to read.
void TestEditorManager::focusOnNoEditorLeavesNone()
{
    EditorManager manager;
    FakeTracker tracker;
    watch(manager, &tracker);
    sim::setFocus(editorWindow());
    QTRY_COMPARE(seen.size(), 1);
    QCOMPARE(manager.getActiveHelper(), &tracker);

    tracker.takes = false;
    sim::WindowSpec canvas;
    canvas.title = u"Paint";
    canvas.processId = sim::createProcess({u"C:\\paint.exe"});
    sim::setFocus(sim::createWindow(canvas));
    QTRY_COMPARE(seen.size(), 2);
    QVERIFY(!seen[1].focusChanged);
    QVERIFY(!manager.getActiveHelper());
    QVERIFY(!manager.getActiveEditorParam());
    QVERIFY(manager.getActiveEditorExeFileName().isEmpty());
}

void TestEditorManager::whiteListModeHidesUnlistedPrograms()
{
    GetConfig()->setValueBool(QStringLiteral("BlackMode"), false);
    EditorManager manager;
    FakeTracker tracker;
    watch(manager, &tracker);
    QSignalSpy detected(&manager, &EditorManager::editorDetected);
    sim::setFocus(editorWindow());
    QTRY_COMPARE(seen.size(), 1);
    QCOMPARE(manager.getActiveHelper(), &tracker);
    QCOMPARE(detected.count(), 0);
    QVERIFY(!manager.isEditorEnable({}));
    // Switching the program on makes its next detection count.
    manager.enableCurrentEditor(true);
    QVERIFY(manager.isEditorEnable({}));
    sim::setFocus(editorWindow());
    QTRY_COMPARE(detected.count(), 1);
    GetConfig()->setValue(QStringLiteral("note.exe"), QVariant(), QStringLiteral("app"));
}

void TestEditorManager::detectionSetsTheHost()
{
    EditorManager manager;
    FakeTracker tracker;
    watch(manager, &tracker);
    QSignalSpy detected(&manager, &EditorManager::editorDetected);
    sim::setFocus(editorWindow(u"D:\\Tools\\WordPad.EXE"));
    QTRY_COMPARE(detected.count(), 1);
    QCOMPARE(getCheckerClient()->getHostId(), QStringLiteral("wordpad.exe"));
    QCOMPARE(manager.getActiveEditorExeFileName(), QStringLiteral("wordpad.exe"));
}

void TestEditorManager::executableNameSources_data()
{
    QTest::addColumn<bool>("canOpen");
    QTest::addColumn<bool>("moduleReadable");
    QTest::addColumn<bool>("imageReadable");
    QTest::addColumn<QString>("expected");
    QTest::newRow("module name") << true << true << true << "note.exe";
    QTest::newRow("image name") << true << false << true << "note.exe";
    QTest::newRow("window module when unreadable") << true << false << false << "notecore.dll";
    QTest::newRow("window module when closed to us") << false << true << true << "notecore.dll";
}

void TestEditorManager::executableNameSources()
{
    QFETCH(bool, canOpen);
    QFETCH(bool, moduleReadable);
    QFETCH(bool, imageReadable);
    QFETCH(QString, expected);
    EditorManager manager;
    sim::WindowSpec desc;
    desc.processId = sim::createProcess({u"C:\\Apps\\NOTE.exe", canOpen, moduleReadable, imageReadable});
    desc.moduleFileName = u"C:\\Apps\\NoteCore.dll";
    HWND hwnd = sim::createWindow(desc);
    QCOMPARE(manager.getExeFileName(hwnd), expected);
    QCOMPARE(sim::openProcessHandles(), 0);
    QCOMPARE(manager.getExeFileName(nullptr), QString());
}

void TestEditorManager::nestedLoopSeesTheEventOnce()
{
    EditorManager manager;
    FakeTracker tracker;
    tracker.nestedLoopMs = 350;
    watch(manager, &tracker);
    sim::setFocus(editorWindow());
    QTRY_COMPARE(seen.size(), 1);
    QTest::qWait(200);
    QCOMPARE(tracker.offered.size(), 1);
    QCOMPARE(seen.size(), 1);
}

void TestEditorManager::hookThreadFiltersObjects_data()
{
    QTest::addColumn<LONG>("objectId");
    QTest::addColumn<bool>("ownProcess");
    QTest::addColumn<bool>("arrives");
    QTest::newRow("client area") << OBJID_CLIENT << false << true;
    QTest::newRow("window") << OBJID_WINDOW << false << true;
    QTest::newRow("first custom id") << LONG(0x10000) << false << true;
    QTest::newRow("below custom ids") << LONG(0xFFFF) << false << false;
    QTest::newRow("caret") << OBJID_CARET << false << false;
    QTest::newRow("scroll bar") << OBJID_VSCROLL << false << false;
    QTest::newRow("own process") << OBJID_CLIENT << true << false;
}

void TestEditorManager::hookThreadFiltersObjects()
{
    QFETCH(LONG, objectId);
    QFETCH(bool, ownProcess);
    QFETCH(bool, arrives);
    EditorManager manager;
    FakeTracker tracker;
    watch(manager, &tracker, false);
    HWND hwnd = editorWindow(u"C:\\a.exe", objectId, ownProcess ? sim::ownProcessId() : 0);
    sim::fireEvent(EVENT_OBJECT_FOCUS, hwnd, objectId, 42);
    if (arrives) {
        QTRY_COMPARE(seen.size(), 1);
        const WinEventSeen& e = seen[0];
        QCOMPARE(e.event, EVENT_OBJECT_FOCUS);
        QCOMPARE(e.hwnd, hwnd);
        QCOMPARE(e.idObject, objectId);
        QCOMPARE(e.idChild, 42);
        QCOMPARE(e.idEventThread, GetWindowThreadProcessId(hwnd, nullptr));
        QVERIFY(e.time != 0);
        QVERIFY(e.onGuiThread);
        QVERIFY(e.hasObject);
        QVERIFY(e.hasHook);
        QCOMPARE(tracker.offered[0]->childId, 42);
    } else {
        QTest::qWait(300);
        QVERIFY(seen.isEmpty());
    }
}

void TestEditorManager::refusedHookShowsOneMessage_data()
{
    QTest::addColumn<int>("refusedMin");   // 0: every hook refused
    QTest::addColumn<int>("refusedMax");
    QTest::addColumn<bool>("tracking");    // editors are still seen
    QTest::newRow("every hook") << 0 << 0 << false;
    QTest::newRow("the object events") << int(EVENT_OBJECT_FOCUS) << int(EVENT_OBJECT_LOCATIONCHANGE) << false;
    QTest::newRow("the foreground only") << int(EVENT_SYSTEM_FOREGROUND) << int(EVENT_SYSTEM_FOREGROUND) << true;
}

void TestEditorManager::refusedHookShowsOneMessage()
{
    QFETCH(int, refusedMin);
    QFETCH(int, refusedMax);
    QFETCH(bool, tracking);
    QStringList messages;
    bool onGuiThread = false;
    QThread* gui = thread();
    getCheckerClient()->setMsgBoxHandler([&](const QString& text, QMessageBox::Icon icon, QMessageBox::StandardButtons) {
        messages << text;
        onGuiThread = QThread::currentThread() == gui && icon == QMessageBox::Critical;
        return int(QMessageBox::Ok);
    });
    QTranslator chinese;
    QVERIFY(chinese.load(QStringLiteral(":/translations/proofkit_zh_CN.qm")));
    QCoreApplication::installTranslator(&chinese);
    if (refusedMin == 0)
        sim::failCall(sim::Call::SetWinEventHook);
    else
        sim::refuseHooks(DWORD(refusedMin), DWORD(refusedMax));
    {
        EditorManager manager;
        FakeTracker tracker;
        manager.addClientHelper(&tracker);
        if (tracking) {
            QTRY_COMPARE(sim::installedHooks(), 1);
        } else {
            QTRY_COMPARE(messages.size(), 1);
            QCOMPARE(messages, QStringList{QStringLiteral("MSAA 安装失败！")});
            QVERIFY(onGuiThread);
            QTRY_COMPARE(sim::installedHooks(), 0);   // the hook that did install is not left behind
        }
        QTest::qWait(100);
        sim::clearFailures();
        sim::setFocus(editorWindow());
        if (tracking)
            QTRY_VERIFY(!tracker.offered.isEmpty());
        QTest::qWait(250);
        QCOMPARE(messages.size(), tracking ? 0 : 1);
        QCOMPARE(tracker.offered.isEmpty(), !tracking);   // without the object hook no editor is seen
    }
    getCheckerClient()->setMsgBoxHandler(nullptr);
    QCoreApplication::removeTranslator(&chinese);
}

void TestEditorManager::automationElementIsOffered_data()
{
    QTest::addColumn<HRESULT>("cachedHandle");
    QTest::addColumn<HRESULT>("cachedProperty");
    QTest::addColumn<bool>("offered");
    QTest::newRow("cached handle") << S_OK << E_FAIL << true;
    QTest::newRow("property fallback") << E_FAIL << S_OK << true;
    QTest::newRow("no window handle") << E_FAIL << E_FAIL << false;
}

void TestEditorManager::automationElementIsOffered()
{
    QFETCH(HRESULT, cachedHandle);
    QFETCH(HRESULT, cachedProperty);
    QFETCH(bool, offered);
    EditorManager manager;
    FakeTracker tracker;
    tracker.takes = false;
    manager.addClientHelper(&tracker);
    HWND hwnd = editorWindow();
    sim::ElementSpec desc;
    desc.nativeWindow = hwnd;
    desc.cachedHandleResult = cachedHandle;
    desc.cachedPropertyResult = cachedProperty;
    IUIAutomationElementPtr element = sim::elementPtr(sim::createElement(hwnd, 0, desc));
    manager.uiaEditorFocused(element);
    QCOMPARE(tracker.offered.size(), offered ? 1 : 0);
    if (offered) {
        QCOMPARE(tracker.offered[0]->hwnd, hwnd);
        QVERIFY(tracker.offered[0]->isUiaValid());
    }
    manager.uiaEditorFocused(nullptr);
}

void TestEditorManager::deletedManagerIsGone()
{
    EditorManager* manager = getEditorManager();
    QVERIFY(manager);
    QCOMPARE(getEditorManager(), manager);
    QTRY_COMPARE(sim::installedHooks(), 2);
    delete manager;
    QCOMPARE(sim::installedHooks(), 0);      // the hook thread was stopped and joined
    QVERIFY(!getEditorManager());
}

QTEST_MAIN(TestEditorManager)
#include "tst_editormanager.moc"
