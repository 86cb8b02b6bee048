#include <QtTest>
#include <atomic>
#include <mutex>
#include <thread>

#include "accessible.h"
#include "sim/desktop.h"
#include "winevent.h"
#include "window.h"

namespace {
struct Received
{
    DWORD event;
    HWND hwnd;
    LONG objectId;
    LONG childId;
    DWORD thread;                            // the thread the procedure ran on
    DWORD eventThread;
};

std::mutex receivedMutex;
QVector<Received> received;

void procedure(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG objectId, LONG childId, DWORD eventThread, DWORD)
{
    std::lock_guard<std::mutex> lock(receivedMutex);
    received.append({event, hwnd, objectId, childId, GetCurrentThreadId(), eventThread});
}

int receivedCount()
{
    std::lock_guard<std::mutex> lock(receivedMutex);
    return received.size();
}

QVector<Received> takeReceived()
{
    std::lock_guard<std::mutex> lock(receivedMutex);
    return std::exchange(received, {});
}

// A thread that installs a hook and runs a Qt event loop, as the program's hook thread does.
class LoopThread : public QThread
{
public:
    DWORD flags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    std::atomic<DWORD> id{0};
    std::atomic<bool> installed{false};

protected:
    void run() override
    {
        HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_LOCATIONCHANGE, nullptr,
                                             procedure, 0, 0, flags);
        id = GetCurrentThreadId();
        installed = hook != nullptr;
        if (hook)
            exec();
        UnhookWinEvent(hook);
    }
};

HWND windowOf(DWORD pid)
{
    sim::WindowSpec desc;
    desc.processId = pid;
    return sim::createWindow(desc);
}
}

class TestWinEvent : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        sim::reset();
        takeReceived();
    }
    void eventsReachTheInstallingThreadsLoop_data();
    void eventsReachTheInstallingThreadsLoop();
    void messagePumpDeliversEvents();
    void refusedInstallation();
    void removedHookGetsNothingMore();
};

void TestWinEvent::eventsReachTheInstallingThreadsLoop_data()
{
    QTest::addColumn<bool>("ownProcess");
    QTest::addColumn<DWORD>("event");
    QTest::addColumn<bool>("delivered");
    QTest::newRow("focus of another program") << false << EVENT_OBJECT_FOCUS << true;
    QTest::newRow("location change") << false << EVENT_OBJECT_LOCATIONCHANGE << true;
    QTest::newRow("own process skipped") << true << EVENT_OBJECT_FOCUS << false;
    QTest::newRow("below the range") << false << EVENT_SYSTEM_FOREGROUND << false;
    QTest::newRow("above the range") << false << DWORD(0x800C) << false;
}

void TestWinEvent::eventsReachTheInstallingThreadsLoop()
{
    QFETCH(bool, ownProcess);
    QFETCH(DWORD, event);
    QFETCH(bool, delivered);
    LoopThread thread;
    thread.start();
    QTRY_VERIFY(thread.installed);
    QCOMPARE(sim::installedHooks(), 1);
    HWND hwnd = windowOf(ownProcess ? sim::ownProcessId() : sim::createProcess({u"C:\\a.exe"}));
    sim::fireEvent(event, hwnd, OBJID_CLIENT, 7);
    sim::setFocus(hwnd, OBJID_WINDOW, 0);    // a marker that always passes the range
    QTRY_VERIFY(ownProcess || receivedCount() > 0);
    QTest::qWait(ownProcess ? 50 : 0);
    thread.quit();
    thread.wait();
    QCOMPARE(sim::installedHooks(), 0);
    const QVector<Received> got = takeReceived();
    const int expected = ownProcess ? 0 : (delivered ? 2 : 1);
    QCOMPARE(got.size(), expected);
    for (const Received& r : got) {
        QCOMPARE(r.thread, thread.id.load());
        QCOMPARE(r.hwnd, hwnd);
        QCOMPARE(r.eventThread, GetWindowThreadProcessId(hwnd, nullptr));
    }
    if (delivered) {
        QCOMPARE(got[0].event, event);
        QCOMPARE(got[0].objectId, OBJID_CLIENT);
        QCOMPARE(got[0].childId, 7);
    }
}

void TestWinEvent::messagePumpDeliversEvents()
{
    std::atomic<DWORD> threadId{0};
    std::atomic<int> userMessages{0};
    std::thread pump([&] {
        HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, procedure, 0, 0,
                                             WINEVENT_OUTOFCONTEXT);
        threadId = GetCurrentThreadId();
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0)) {
            if (msg.message == WM_USER + 1)
                userMessages++;
            DispatchMessageW(&msg);
        }
        UnhookWinEvent(hook);
    });
    QTRY_VERIFY(threadId != 0);
    HWND hwnd = windowOf(sim::createProcess({}));
    sim::setFocus(hwnd);
    QTRY_COMPARE(receivedCount(), 1);
    takeReceived();
    QVERIFY(PostThreadMessageW(threadId, WM_USER + 1, 0, 0));
    QVERIFY(PostThreadMessageW(threadId, WM_QUIT, 0, 0));
    pump.join();
    QCOMPARE(userMessages.load(), 1);
    // The queue went with its thread.
    QVERIFY(!PostThreadMessageW(threadId, WM_USER, 0, 0));
    QCOMPARE(sim::installedHooks(), 0);
}

void TestWinEvent::refusedInstallation()
{
    sim::failCall(sim::Call::SetWinEventHook);
    QVERIFY(!SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, procedure, 0, 0, 0));
    QCOMPARE(sim::installedHooks(), 0);
    sim::clearFailures();
    // In-context hooks would need a library injected into other programs: not available.
    QVERIFY(!SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, procedure, 0, 0, WINEVENT_INCONTEXT));
}

void TestWinEvent::removedHookGetsNothingMore()
{
    // Installed on this (GUI) thread: events wait for its event loop.
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, procedure, 0, 0, 0);
    QVERIFY(hook);
    HWND hwnd = windowOf(sim::createProcess({}));
    sim::setFocus(hwnd);
    QVERIFY(takeReceived().isEmpty());       // not delivered synchronously
    QTRY_COMPARE(receivedCount(), 1);
    takeReceived();
    sim::setFocus(hwnd);
    QVERIFY(UnhookWinEvent(hook));           // before the loop ran: the raised event is dropped
    QVERIFY(!UnhookWinEvent(hook));
    QTest::qWait(30);
    QVERIFY(takeReceived().isEmpty());
}

QTEST_GUILESS_MAIN(TestWinEvent)
#include "tst_winevent.moc"
