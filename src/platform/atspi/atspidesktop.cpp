#include "atspidesktop.h"

#include <atspi/atspi.h>

#include <future>
#include <thread>

#include <QString>
#include <QtGlobal>

#include "../sim/state.h"
#include "../winevent.h"
#include "atspiquery.h"
#include "busprobe.h"

namespace atspi_detail {
namespace {

constexpr uintptr_t firstHandle = 0x20000000;
constexpr uintptr_t lastHandle = 0x40000000;
constexpr int callTimeoutMs = 2000;
constexpr int startupTimeoutMs = 5000;
constexpr guint framePollMs = 200;

std::recursive_mutex& busMutex()
{
    static auto* mutex = new std::recursive_mutex;
    return *mutex;
}

// The bus thread holds the lock except while it waits for input, so other threads' calls run then.
gint pollUnlocked(GPollFD* fds, guint count, gint timeout)
{
    busMutex().unlock();
    const gint result = g_poll(fds, count, timeout);
    busMutex().lock();
    return result;
}

bool isFrameRole(AtspiRole role)
{
    return role == ATSPI_ROLE_FRAME || role == ATSPI_ROLE_WINDOW || role == ATSPI_ROLE_DIALOG;
}

std::u16string fromUtf8(gchar* text)
{
    std::u16string result = QString::fromUtf8(text ? text : "").toStdU16String();
    g_free(text);
    return result;
}

bool sameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool waylandOnly()
{
    return qEnvironmentVariableIsEmpty("DISPLAY")
           && (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
               || qgetenv("XDG_SESSION_TYPE") == "wayland");
}

} // namespace

AtspiDesktop* AtspiDesktop::instance()
{
    static AtspiDesktop* chosen = [] {
        const QByteArray wanted = qgetenv("KORRELO_DESKTOP");
        if (wanted == "sim")
            return static_cast<AtspiDesktop*>(nullptr);
        if (waylandOnly())
            qWarning("Wayland session: other programs report no screen coordinates, so the check button "
                     "cannot be placed beside their editors.");
        bool switchedOn = true;
        if (!accessibilityBusAnswers(&switchedOn)) {
            qWarning("The accessibility bus does not answer: other programs' editors are not followed.");
            return static_cast<AtspiDesktop*>(nullptr);
        }
        if (!switchedOn)
            qWarning("Accessibility is switched off on this desktop: programs share their editors only once "
                     "it is switched on.");
        // Never deleted: the bus thread runs until the process ends.
        auto* desktop = new AtspiDesktop;
        if (desktop->start())
            return desktop;
        qWarning("The accessibility bus does not answer: other programs' editors are not followed.");
        delete desktop;
        return static_cast<AtspiDesktop*>(nullptr);
    }();
    return chosen;
}

AtspiDesktop* AtspiDesktop::owner(HWND hwnd)
{
    const auto value = reinterpret_cast<uintptr_t>(hwnd);
    if (value < firstHandle || value >= lastHandle)
        return nullptr;
    return instance();
}

AtspiDesktop::Lock AtspiDesktop::lock()
{
    return Lock(busMutex());
}

bool AtspiDesktop::start()
{
    std::promise<bool> ready;
    std::future<bool> answer = ready.get_future();
    std::thread([this, &ready] {
        Lock held = lock();
        context = g_main_context_new();
        g_main_context_set_poll_func(context, pollUnlocked);
        atspi_init();
        atspi_set_main_context(context);
        atspi_set_timeout(callTimeoutMs, startupTimeoutMs);
        AtspiAccessible* root = atspi_get_desktop(0);
        GError* error = nullptr;
        if (root)
            atspi_accessible_get_child_count(root, &error);
        const bool answered = root && !error;
        if (error)
            g_error_free(error);
        if (root)
            g_object_unref(root);
        if (answered)
            listen();
        started = answered;
        ready.set_value(answered);
        if (answered)
            run();
    }).detach();
    return answer.get();
}

void AtspiDesktop::listen()
{
    AtspiEventListener* listener = atspi_event_listener_new(eventCallback, this, nullptr);
    for (const char* type : {"object:state-changed:focused", "object:state-changed:defunct", "window:activate",
                             "window:deactivate", "object:bounds-changed"})
        atspi_event_listener_register(listener, type, nullptr);
    GSource* poll = g_timeout_source_new(framePollMs);
    g_source_set_callback(poll, pollCallback, this, nullptr);
    g_source_attach(poll, context);
    g_source_unref(poll);
}

void AtspiDesktop::run()
{
    for (;;)
        g_main_context_iteration(context, TRUE);
}

void AtspiDesktop::eventCallback(AtspiEvent* event, void* data)
{
    static_cast<AtspiDesktop*>(data)->onEvent(event);
    g_boxed_free(ATSPI_TYPE_EVENT, event);
}

int AtspiDesktop::pollCallback(void* data)
{
    static_cast<AtspiDesktop*>(data)->pollFrame();
    return G_SOURCE_CONTINUE;
}

void AtspiDesktop::onEvent(AtspiEvent* event)
{
    if (!event->source || !event->type)
        return;
    const char* type = event->type;
    if (g_str_equal(type, "object:state-changed:defunct")) {
        auto it = handles.find(event->source);
        if (it != handles.end() && event->detail1)
            drop(it->second);
        return;
    }
    if (g_str_equal(type, "object:state-changed:focused")) {
        if (!event->detail1)
            return;
        focused = handleFor(event->source);
        // Raised before the frame is looked up: a program busy with its own focus change answers late.
        raise(EVENT_OBJECT_FOCUS, focused, OBJID_CLIENT);
        polledFrame = root(focused);
        if (!extents(accessibleOf(polledFrame), polledRect))
            polledRect = RECT();
    } else if (g_str_equal(type, "window:activate")) {
        activeFrame = handleFor(event->source);
        raise(EVENT_SYSTEM_FOREGROUND, activeFrame, OBJID_WINDOW);
    } else if (g_str_equal(type, "window:deactivate")) {
        auto it = handles.find(event->source);
        if (it != handles.end() && it->second == activeFrame)
            activeFrame = nullptr;
    } else if (g_str_equal(type, "object:bounds-changed")) {
        auto it = handles.find(event->source);
        if (it == handles.end())
            return;
        if (it->second == focused)
            raise(EVENT_OBJECT_LOCATIONCHANGE, focused, OBJID_CLIENT);
        else if (it->second == polledFrame)
            raise(EVENT_OBJECT_LOCATIONCHANGE, polledFrame, OBJID_WINDOW);
    }
}

void AtspiDesktop::pollFrame()
{
    RECT now;
    if (!polledFrame || !extents(accessibleOf(polledFrame), now) || sameRect(now, polledRect))
        return;
    polledRect = now;
    raise(EVENT_OBJECT_LOCATIONCHANGE, polledFrame, OBJID_WINDOW);
}

void AtspiDesktop::raise(DWORD event, HWND hwnd, LONG objectId)
{
    auto it = records.find(hwnd);
    if (it == records.end())
        return;
    const DWORD pid = it->second.pid;
    platform_detail::raiseWinEvent(event, hwnd, objectId, CHILDID_SELF, pid, pid);
}

void AtspiDesktop::drop(HWND hwnd)
{
    auto it = records.find(hwnd);
    if (it == records.end())
        return;
    handles.erase(it->second.accessible);
    g_object_unref(it->second.accessible);
    records.erase(it);
    if (focused == hwnd)
        focused = nullptr;
    if (activeFrame == hwnd)
        activeFrame = nullptr;
    if (polledFrame == hwnd)
        polledFrame = nullptr;
}

AtspiAccessible* AtspiDesktop::accessibleOf(HWND hwnd)
{
    auto it = records.find(hwnd);
    return it == records.end() ? nullptr : it->second.accessible;
}

HWND AtspiDesktop::handleFor(AtspiAccessible* accessible)
{
    if (!accessible)
        return nullptr;
    auto it = handles.find(accessible);
    if (it != handles.end())
        return it->second;
    auto hwnd = reinterpret_cast<HWND>(nextHandle);
    nextHandle += 0x10;
    if (nextHandle >= lastHandle)
        nextHandle = firstHandle;
    Record record;
    record.accessible = static_cast<AtspiAccessible*>(g_object_ref(accessible));
    record.pid = atspi_accessible_get_process_id(accessible, nullptr);
    records[hwnd] = record;
    handles[accessible] = hwnd;
    return hwnd;
}

DWORD AtspiDesktop::processOf(AtspiAccessible* accessible)
{
    auto it = handles.find(accessible);
    if (it != handles.end())
        return records[it->second].pid;
    return atspi_accessible_get_process_id(accessible, nullptr);
}

bool AtspiDesktop::isWindow(HWND hwnd)
{
    Lock held = lock();
    AtspiAccessible* accessible = accessibleOf(hwnd);
    if (!accessible)
        return false;
    AtspiStateSet* states = atspi_accessible_get_state_set(accessible);
    const bool gone = !states || atspi_state_set_contains(states, ATSPI_STATE_DEFUNCT);
    if (states)
        g_object_unref(states);
    if (gone)
        drop(hwnd);
    return !gone;
}

HWND AtspiDesktop::parent(HWND hwnd)
{
    Lock held = lock();
    AtspiAccessible* accessible = accessibleOf(hwnd);
    if (!accessible)
        return nullptr;
    AtspiAccessible* up = atspi_accessible_get_parent(accessible, nullptr);
    if (!up)
        return nullptr;
    // Programs themselves and the desktop are no windows.
    const AtspiRole role = roleOf(up);
    HWND result = role == ATSPI_ROLE_APPLICATION || role == ATSPI_ROLE_DESKTOP_FRAME || role == ATSPI_ROLE_INVALID
                      ? nullptr
                      : handleFor(up);
    g_object_unref(up);
    return result;
}

HWND AtspiDesktop::root(HWND hwnd)
{
    Lock held = lock();
    AtspiAccessible* current = accessibleOf(hwnd);
    if (!current)
        return nullptr;
    g_object_ref(current);
    // Bounded, in case a broken program reports a parent cycle.
    for (int depth = 0; depth < 64; ++depth) {
        if (isFrameRole(roleOf(current)))
            break;
        AtspiAccessible* up = atspi_accessible_get_parent(current, nullptr);
        const AtspiRole upRole = up ? roleOf(up) : ATSPI_ROLE_INVALID;
        if (!up || upRole == ATSPI_ROLE_APPLICATION || upRole == ATSPI_ROLE_DESKTOP_FRAME
            || upRole == ATSPI_ROLE_INVALID) {
            if (up)
                g_object_unref(up);
            break;
        }
        g_object_unref(current);
        current = up;
    }
    HWND result = handleFor(current);
    g_object_unref(current);
    return result;
}

std::u16string AtspiDesktop::className(HWND hwnd)
{
    Lock held = lock();
    AtspiAccessible* accessible = accessibleOf(hwnd);
    if (!accessible)
        return {};
    std::u16string toolkit = fromUtf8(atspi_accessible_get_toolkit_name(accessible, nullptr));
    return toolkit + u':' + fromUtf8(atspi_accessible_get_role_name(accessible, nullptr));
}

std::u16string AtspiDesktop::title(HWND hwnd)
{
    Lock held = lock();
    AtspiAccessible* accessible = accessibleOf(hwnd);
    return accessible ? fromUtf8(atspi_accessible_get_name(accessible, nullptr)) : std::u16string();
}

bool AtspiDesktop::rect(HWND hwnd, RECT* rect)
{
    Lock held = lock();
    return rect && extents(accessibleOf(hwnd), *rect);
}

HWND AtspiDesktop::foreground()
{
    Lock held = lock();
    return activeFrame;
}

DWORD AtspiDesktop::processId(HWND hwnd)
{
    Lock held = lock();
    auto it = records.find(hwnd);
    return it == records.end() ? 0 : it->second.pid;
}

int AtspiDesktop::handleCount()
{
    Lock held = lock();
    return static_cast<int>(records.size());
}

} // namespace atspi_detail

