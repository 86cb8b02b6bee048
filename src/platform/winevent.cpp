#include "winevent.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>

#include "sim/counters.h"
#include "sim/state.h"

namespace {

struct Hook
{
    DWORD eventMin = 0;
    DWORD eventMax = 0;
    WINEVENTPROC procedure = nullptr;
    DWORD processId = 0;
    DWORD threadId = 0;
    DWORD flags = 0;
    DWORD ownerThread = 0;
};

struct PendingEvent
{
    HWINEVENTHOOK hook = nullptr;
    WINEVENTPROC procedure = nullptr;
    DWORD event = 0;
    HWND hwnd = nullptr;
    LONG objectId = 0;
    LONG childId = 0;
    DWORD threadId = 0;
    DWORD time = 0;
};

// One thread's message queue: hook events waiting for delivery and posted messages.
struct ThreadQueue
{
    DWORD threadId = 0;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<PendingEvent> events;
    std::deque<MSG> messages;
    QObject* pump = nullptr;             // lives on the thread; wakes a running Qt event loop
};

struct Registry
{
    std::mutex mutex;
    std::map<HWINEVENTHOOK, Hook> hooks;
    std::map<DWORD, std::shared_ptr<ThreadQueue>> queues;
    uintptr_t nextHook = 0x100;
};

Registry& registry()
{
    // Never destroyed: a hook thread's queue is removed at that thread's very end, which can come
    // after the program has started running its static destructors.
    static Registry* instance = new Registry;
    return *instance;
}

void deliverPending(ThreadQueue& queue);

// Ties a queue to its thread: made on the thread's first message or hook call and removed, with
// the thread's hooks, when the thread ends.
struct QueueHolder
{
    std::shared_ptr<ThreadQueue> queue;

    ~QueueHolder()
    {
        if (!queue)
            return;
        Registry& r = registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        for (auto it = r.hooks.begin(); it != r.hooks.end();) {
            if (it->second.ownerThread == queue->threadId) {
                platform_detail::counters().hooks--;
                it = r.hooks.erase(it);
            } else {
                ++it;
            }
        }
        r.queues.erase(queue->threadId);
        delete queue->pump;
        queue->pump = nullptr;
    }
};

thread_local QueueHolder currentQueue;

ThreadQueue& ownQueue()
{
    Registry& r = registry();
    if (!currentQueue.queue) {
        auto queue = std::make_shared<ThreadQueue>();
        queue->threadId = GetCurrentThreadId();
        std::lock_guard<std::mutex> lock(r.mutex);
        r.queues[queue->threadId] = queue;
        currentQueue.queue = queue;
    }
    ThreadQueue& queue = *currentQueue.queue;
    // A Qt event loop on this thread is woken through an object living here; made once an
    // application exists.
    if (!queue.pump && QCoreApplication::instance()) {
        auto* pump = new QObject;
        std::lock_guard<std::mutex> lock(r.mutex);
        queue.pump = pump;
    }
    return queue;
}

// Called with the registry locked.
void wakeLocked(ThreadQueue& queue)
{
    queue.wake.notify_all();
    if (QObject* pump = queue.pump) {
        ThreadQueue* target = &queue;
        QMetaObject::invokeMethod(pump, [target] { deliverPending(*target); }, Qt::QueuedConnection);
    }
}

void deliverPending(ThreadQueue& queue)
{
    for (;;) {
        PendingEvent e;
        {
            std::lock_guard<std::mutex> lock(queue.mutex);
            if (queue.events.empty())
                return;
            e = queue.events.front();
            queue.events.pop_front();
        }
        {
            // A hook removed after the event was raised no longer gets it.
            Registry& r = registry();
            std::lock_guard<std::mutex> lock(r.mutex);
            if (!r.hooks.count(e.hook))
                continue;
        }
        e.procedure(e.hook, e.event, e.hwnd, e.objectId, e.childId, e.threadId, e.time);
    }
}

bool matches(const MSG& msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (hwnd && msg.hwnd != hwnd)
        return false;
    if (filterMin == 0 && filterMax == 0)
        return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

bool takeMessage(ThreadQueue& queue, MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, bool remove)
{
    for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
        if (!matches(*it, hwnd, filterMin, filterMax))
            continue;
        if (msg)
            *msg = *it;
        if (remove)
            queue.messages.erase(it);
        return true;
    }
    return false;
}

} // namespace

namespace platform_detail {

void raiseWinEvent(DWORD event, HWND hwnd, LONG objectId, LONG childId, DWORD processId, DWORD threadId)
{
    const DWORD time = sim_detail::eventTime();
    const DWORD ownProcess = GetCurrentProcessId();
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (const auto& [handle, hook] : r.hooks) {
        if (event < hook.eventMin || event > hook.eventMax)
            continue;
        if (hook.processId && hook.processId != processId)
            continue;
        if (hook.threadId && hook.threadId != threadId)
            continue;
        if ((hook.flags & WINEVENT_SKIPOWNPROCESS) && processId == ownProcess)
            continue;
        if ((hook.flags & WINEVENT_SKIPOWNTHREAD) && processId == ownProcess && threadId == hook.ownerThread)
            continue;
        auto q = r.queues.find(hook.ownerThread);
        if (q == r.queues.end())
            continue;
        ThreadQueue& queue = *q->second;
        {
            std::lock_guard<std::mutex> queueLock(queue.mutex);
            queue.events.push_back({handle, hook.procedure, event, hwnd, objectId, childId, threadId, time});
        }
        wakeLocked(queue);
    }
}

} // namespace platform_detail

HWINEVENTHOOK SetWinEventHook(DWORD eventMin, DWORD eventMax, HMODULE, WINEVENTPROC procedure,
                              DWORD processId, DWORD threadId, DWORD flags)
{
    if (FAILED(sim_detail::enter(sim::Call::SetWinEventHook)) || sim_detail::hookRefused(eventMin, eventMax)
        || !procedure || eventMin > eventMax
        || (flags & WINEVENT_INCONTEXT))
        return nullptr;
    ThreadQueue& queue = ownQueue();
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto handle = reinterpret_cast<HWINEVENTHOOK>(r.nextHook++);
    r.hooks[handle] = {eventMin, eventMax, procedure, processId, threadId, flags, queue.threadId};
    platform_detail::counters().hooks++;
    return handle;
}

BOOL UnhookWinEvent(HWINEVENTHOOK hook)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.hooks.erase(hook))
        return FALSE;
    platform_detail::counters().hooks--;
    return TRUE;
}

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    ThreadQueue& queue = ownQueue();
    for (;;) {
        deliverPending(queue);
        std::unique_lock<std::mutex> lock(queue.mutex);
        if (takeMessage(queue, msg, hwnd, filterMin, filterMax, true))
            return msg->message == WM_QUIT ? FALSE : TRUE;
        queue.wake.wait(lock, [&] {
            return !queue.events.empty() || takeMessage(queue, nullptr, hwnd, filterMin, filterMax, false);
        });
    }
}

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    ThreadQueue& queue = ownQueue();
    deliverPending(queue);
    std::lock_guard<std::mutex> lock(queue.mutex);
    return takeMessage(queue, msg, hwnd, filterMin, filterMax, removeFlags & PM_REMOVE) ? TRUE : FALSE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto q = r.queues.find(threadId);
    if (q == r.queues.end())
        return FALSE;
    ThreadQueue& queue = *q->second;
    {
        std::lock_guard<std::mutex> queueLock(queue.mutex);
        MSG msg;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        msg.time = sim_detail::eventTime();
        queue.messages.push_back(msg);
    }
    queue.wake.notify_all();
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    PostThreadMessageW(ownQueue().threadId, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

LPARAM DispatchMessageW(const MSG*)
{
    // Thread messages have no window procedure; hook events are delivered while pumping.
    return 0;
}
