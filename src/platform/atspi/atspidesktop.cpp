#include "atspidesktop.h"

#include <atspi/atspi.h>

#include <dlfcn.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include <QString>
#include <QtGlobal>

#include "../sim/state.h"
#include "../winevent.h"
#include "atspiquery.h"
#include "busprobe.h"
#include "busref.h"
#include "documenttext.h"

namespace atspi_detail {
namespace {

constexpr uintptr_t firstHandle = 0x20000000;
constexpr uintptr_t lastHandle = 0x40000000;
constexpr int callTimeoutMs = 2000;
constexpr int startupTimeoutMs = 5000;
constexpr guint framePollMs = 200;
// Longer than a few bus calls in a row, including one to a program that has only just started.
constexpr auto handOverWait = std::chrono::seconds(10);

// Both set once, before anyone can hand work over.
GMainContext* busContext = nullptr;
std::thread::id busThread;

int runPosted(void* data)
{
    (*static_cast<std::function<void()>*>(data))();
    return G_SOURCE_REMOVE;
}

void deletePosted(void* data)
{
    delete static_cast<std::function<void()>*>(data);
}

// Whether the bus library's connections went to our context through the definition below; on the
// bus thread.
bool redirected = false;

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
        // Never deleted: the bus thread runs until the process ends.
        auto* desktop = new AtspiDesktop;
        if (desktop->start()) {
            if (!switchedOn)
                desktop->reportSwitchedOff();
            return desktop;
        }
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

void AtspiDesktop::post(std::function<void()> work)
{
    if (onBusThread()) {
        work();
        return;
    }
    g_main_context_invoke_full(busContext, G_PRIORITY_DEFAULT, runPosted, new std::function<void()>(std::move(work)),
                               deletePosted);
}

bool AtspiDesktop::onBusThread()
{
    return std::this_thread::get_id() == busThread;
}

bool AtspiDesktop::handOver(std::function<void()> job)
{
    struct Pending
    {
        std::function<void()> job;
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
    };
    auto pending = std::make_shared<Pending>();
    pending->job = std::move(job);
    post([pending] {
        pending->job();
        std::lock_guard<std::mutex> held(pending->mutex);
        pending->done = true;
        pending->ended.notify_all();
    });
    std::unique_lock<std::mutex> held(pending->mutex);
    return pending->ended.wait_for(held, handOverWait, [&] { return pending->done; });
}

bool AtspiDesktop::start()
{
    std::promise<bool> ready;
    std::future<bool> answer = ready.get_future();
    std::thread([this, &ready] {
        busContext = g_main_context_new();
        busThread = std::this_thread::get_id();
        atspi_init();
        if (!redirected)
            qWarning("The accessibility bus library keeps its connections on the GUI thread's main loop: "
                     "following other programs' editors may crash.");
        atspi_set_main_context(busContext);
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
        ready.set_value(answered);
        if (answered)
            run();
    }).detach();
    return answer.get();
}

void AtspiDesktop::reportSwitchedOff()
{
    // GTK programs join the bus whatever the setting says, and Qt programs do when the display names
    // the bus, so the setting alone says little about what can be followed.
    const int others = call([this] { return otherPrograms(); }, -1);
    qWarning("Accessibility is switched off on this desktop. Programs on the accessibility bus now, besides this "
             "one: %d. Qt programs join it %s.",
             others, displayNamesBus() ? "through the display's AT_SPI_BUS property" : "only once it is switched on");
}

int AtspiDesktop::otherPrograms()
{
    const BusRef desktop = BusRef::adopt(atspi_get_desktop(0));
    if (!desktop)
        return 0;
    int count = 0;
    const gint programs = atspi_accessible_get_child_count(desktop.get(), nullptr);
    for (gint i = 0; i < programs; ++i) {
        const BusRef program = BusRef::adopt(atspi_accessible_get_child_at_index(desktop.get(), i, nullptr));
        const DWORD pid = program ? processOf(program.get()) : 0;
        if (pid && pid != GetCurrentProcessId())
            ++count;
    }
    return count;
}

void AtspiDesktop::listen()
{
    AtspiEventListener* listener = atspi_event_listener_new(eventCallback, this, nullptr);
    for (const char* type : {"object:state-changed:focused", "object:state-changed:defunct", "window:activate",
                             "window:deactivate", "object:bounds-changed"})
        atspi_event_listener_register(listener, type, nullptr);
    GSource* poll = g_timeout_source_new(framePollMs);
    g_source_set_callback(poll, pollCallback, this, nullptr);
    g_source_attach(poll, busContext);
    g_source_unref(poll);
}

void AtspiDesktop::run()
{
    for (;;)
        g_main_context_iteration(busContext, TRUE);
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
    if (!event->source || !event->type || isOwn(event->source))
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
        // A paragraph of a paragraph document stands for its document, so moving the caret to
        // another paragraph stays in the one editor.
        focused = handleFor(focusTarget(event->source).get());
        // Raised before the frame is looked up: a program busy with its own focus change answers late.
        raise(EVENT_OBJECT_FOCUS, focused, OBJID_CLIENT);
        polledFrame = root(focused);
        polledRect = extents(accessibleOf(polledFrame)).value_or(RECT());
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
    const std::optional<RECT> now = extents(accessibleOf(polledFrame));
    if (!now || sameRect(*now, polledRect))
        return;
    polledRect = *now;
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
    const DWORD pid = processOf(accessible);
    if (pid == GetCurrentProcessId())
        return nullptr;
    auto hwnd = reinterpret_cast<HWND>(nextHandle);
    nextHandle += 0x10;
    if (nextHandle >= lastHandle)
        nextHandle = firstHandle;
    Record record;
    record.accessible = static_cast<AtspiAccessible*>(g_object_ref(accessible));
    record.pid = pid;
    records[hwnd] = record;
    handles[accessible] = hwnd;
    return hwnd;
}

DWORD AtspiDesktop::processOf(AtspiAccessible* accessible)
{
    const AtspiApplication* program = accessible ? accessible->parent.app : nullptr;
    if (!program || !program->bus_name)
        return 0;
    auto known = processes.find(program->bus_name);
    if (known != processes.end())
        return known->second;
    GError* error = nullptr;
    const guint pid = atspi_accessible_get_process_id(accessible, &error);
    if (error) {
        // Not kept: the daemon may answer the next time.
        g_error_free(error);
        return 0;
    }
    processes[program->bus_name] = pid;
    return pid;
}

bool AtspiDesktop::isOwn(AtspiAccessible* accessible)
{
    return processOf(accessible) == GetCurrentProcessId();
}

bool AtspiDesktop::alive(HWND hwnd)
{
    const BusRef accessible(accessibleOf(hwnd));
    if (!accessible)
        return false;
    AtspiStateSet* states = atspi_accessible_get_state_set(accessible.get());
    const bool gone = !states || atspi_state_set_contains(states, ATSPI_STATE_DEFUNCT);
    if (states)
        g_object_unref(states);
    if (gone)
        drop(hwnd);
    return !gone;
}

bool AtspiDesktop::isWindow(HWND hwnd)
{
    return call([this, hwnd] { return alive(hwnd); }, false);
}

std::vector<bool> AtspiDesktop::areWindows(const std::vector<HWND>& hwnds)
{
    // Given up on, every window counts as still there: forgetting a live one is the worse mistake.
    return call(
        [this, hwnds] {
            std::vector<bool> answers;
            answers.reserve(hwnds.size());
            for (HWND hwnd : hwnds)
                answers.push_back(alive(hwnd));
            return answers;
        },
        std::vector<bool>(hwnds.size(), true));
}

HWND AtspiDesktop::parent(HWND hwnd)
{
    return call(
        [this, hwnd]() -> HWND {
            const BusRef accessible(accessibleOf(hwnd));
            if (!accessible)
                return nullptr;
            const BusRef up = BusRef::adopt(atspi_accessible_get_parent(accessible.get(), nullptr));
            if (!up)
                return nullptr;
            // Programs themselves and the desktop are no windows.
            const AtspiRole role = roleOf(up.get());
            return role == ATSPI_ROLE_APPLICATION || role == ATSPI_ROLE_DESKTOP_FRAME || role == ATSPI_ROLE_INVALID
                       ? nullptr
                       : handleFor(up.get());
        },
        nullptr);
}

HWND AtspiDesktop::root(HWND hwnd)
{
    return call(
        [this, hwnd]() -> HWND {
            BusRef current(accessibleOf(hwnd));
            if (!current)
                return nullptr;
            // Bounded, in case a broken program reports a parent cycle.
            for (int depth = 0; depth < 64; ++depth) {
                if (isFrameRole(roleOf(current.get())))
                    break;
                BusRef up = BusRef::adopt(atspi_accessible_get_parent(current.get(), nullptr));
                const AtspiRole upRole = up ? roleOf(up.get()) : ATSPI_ROLE_INVALID;
                if (upRole == ATSPI_ROLE_APPLICATION || upRole == ATSPI_ROLE_DESKTOP_FRAME || upRole == ATSPI_ROLE_INVALID)
                    break;
                current = std::move(up);
            }
            return handleFor(current.get());
        },
        nullptr);
}

std::u16string AtspiDesktop::className(HWND hwnd)
{
    return call(
        [this, hwnd] {
            const BusRef accessible(accessibleOf(hwnd));
            if (!accessible)
                return std::u16string();
            std::u16string toolkit = fromUtf8(atspi_accessible_get_toolkit_name(accessible.get(), nullptr));
            return toolkit + u':' + fromUtf8(atspi_accessible_get_role_name(accessible.get(), nullptr));
        },
        {});
}

std::u16string AtspiDesktop::title(HWND hwnd)
{
    return call(
        [this, hwnd] {
            const BusRef accessible(accessibleOf(hwnd));
            return accessible ? fromUtf8(atspi_accessible_get_name(accessible.get(), nullptr)) : std::u16string();
        },
        {});
}

bool AtspiDesktop::rect(HWND hwnd, RECT* rect)
{
    if (!rect)
        return false;
    const std::optional<RECT> found = call([this, hwnd] { return extents(accessibleOf(hwnd)); }, std::nullopt);
    if (found)
        *rect = *found;
    return found.has_value();
}

HWND AtspiDesktop::foreground()
{
    return call([this] { return activeFrame; }, nullptr);
}

DWORD AtspiDesktop::processId(HWND hwnd)
{
    return call(
        [this, hwnd]() -> DWORD {
            auto it = records.find(hwnd);
            return it == records.end() ? 0 : it->second.pid;
        },
        0);
}

int AtspiDesktop::handleCount()
{
    return call([this] { return static_cast<int>(records.size()); }, -1);
}

} // namespace atspi_detail

// The bus library attaches the bus connection (in atspi_init) and the direct connection it opens to
// each program it talks to onto the default main context, which the GUI thread runs; whoever runs a
// connection's context handles its messages. This definition comes before the library's in the
// process's symbol lookup, so every connection goes to the bus thread's context instead.
extern "C" __attribute__((visibility("default"))) void atspi_dbus_connection_setup_with_g_main(DBusConnection* connection,
                                                                                             GMainContext* context)
{
    using Setup = void (*)(DBusConnection*, GMainContext*);
    static const auto library = reinterpret_cast<Setup>(dlsym(RTLD_NEXT, "atspi_dbus_connection_setup_with_g_main"));
    using namespace atspi_detail;
    if (busContext && (!context || context == g_main_context_default())) {
        context = busContext;
        redirected = true;
    }
    if (library)
        library(connection, context);
}
