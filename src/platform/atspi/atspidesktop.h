#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "../wintypes.h"

typedef struct _AtspiAccessible AtspiAccessible;
typedef struct _AtspiEvent AtspiEvent;
typedef struct _GMainContext GMainContext;

// The real desktop, read from the accessibility bus (AT-SPI 2). It answers the Windows-name calls for
// the handles it gives out; every other handle stays with the simulated desktop (sim/desktop.h).
//
// How the Windows names map:
// - Handles: each accessible the system meets (a focused object, a frame, a parent asked for) gets a
//   handle on first sight, the same one while the object lives. It is dropped when the object turns
//   defunct, which is also how the bus reports a program that left. Handles count up from 0x20000000
//   in steps of 16, so they fit 32 bits and never meet the simulated desktop's.
// - GetAncestor(GA_ROOT) and GA_ROOTOWNER: the nearest ancestor with role frame, window or dialog;
//   for toolkits whose top level has none of these (Qt's plain top-level widget is a filler), the
//   ancestor just below the application. GA_PARENT and GetParent: the accessible parent, null above
//   the top level.
// - GetClassNameW: "<toolkit>:<role name>", e.g. "gtk:text", "Qt:password text".
// - GetWindowTextW: the accessible name. GetWindowRect: the extents in screen coordinates.
// - GetForegroundWindow: the frame the bus last reported active (window:activate).
// - GetWindowThreadProcessId: the program's process id, for both ids (the bus names no threads).
//   OpenProcess and the image-name calls then answer from /proc/<pid>/exe.
// - WinEvents: object:state-changed:focused (on) raises EVENT_OBJECT_FOCUS with OBJID_CLIENT on the
//   object (on its document for a paragraph of a paragraph document, see documenttext.h);
//   window:activate raises EVENT_SYSTEM_FOREGROUND with OBJID_WINDOW on the frame;
//   object:bounds-changed of the focused object (OBJID_CLIENT) or its frame (OBJID_WINDOW) raises
//   EVENT_OBJECT_LOCATIONCHANGE. GTK 3 reports no event when a window is only moved, so the focused
//   object's frame is also polled every 200 ms and a move raises the same event.
// - MSAA: OBJID_CLIENT and OBJID_WINDOW both give the accessible itself; its role is editable text
//   (42) only for an editor the system may take (isEditableText in atspiquery.h); the value is
//   the whole text. UI Automation elements lie over the same accessibles; see atspiautomation.h.
//
// Threading: one thread of ours runs a GLib main context that carries the bus connection and the
// event listeners; hook events go from there into the per-thread queues of winevent.cpp. The bus
// library is used on that thread only, and all its connections are served there (see the end of
// atspidesktop.cpp): other threads hand their questions over (call) and wait for the answer. Every
// bus call times out after 2 s, so a hung program cannot hold ours; a caller waits at most 10 s for
// the bus thread and then has the answer of a failed call.
//
// Our own windows join the bus too when the desktop's accessibility is on, served by our GUI thread.
// A call from the bus thread into them would wait out the bus timeout whenever the GUI thread is
// itself waiting for the bus thread, so their events are dropped on arrival (the sender's process
// comes from the bus daemon, which always answers), they get no handles, walks skip them and no
// bus call is ever made to them.
//
// Limits: the subtree walk of UI Automation stops at depth 16, after 1000 objects or after one
// second, and does not enter objects that manage their descendants (large tables and lists).
namespace atspi_detail {

class AtspiDesktop
{
public:
    // The bus desktop chosen for this process at the first call, or null when the simulated desktop
    // answers (KORRELO_DESKTOP=sim, or no bus answered).
    static AtspiDesktop* instance();
    // The bus desktop when the handle is one of its handles.
    static AtspiDesktop* owner(HWND hwnd);

    // Runs work on the bus thread and gives its answer; on the bus thread itself, at once. Another
    // thread waits a bounded time and then has `failed`. Work given up on still runs later, so it
    // captures by value only.
    template <class Work>
    static std::invoke_result_t<Work> call(Work work, std::invoke_result_t<Work> failed)
    {
        using Result = std::invoke_result_t<Work>;
        if (onBusThread())
            return work();
        auto answer = std::make_shared<std::optional<Result>>();
        if (!handOver([work, answer]() mutable { answer->emplace(work()); }))
            return failed;
        return std::move(**answer);
    }
    // Runs work on the bus thread later (at once there); nobody waits for it.
    static void post(std::function<void()> work);
    static bool onBusThread();

    bool isWindow(HWND hwnd);
    HWND parent(HWND hwnd);
    HWND root(HWND hwnd);
    std::u16string className(HWND hwnd);
    std::u16string title(HWND hwnd);
    bool rect(HWND hwnd, RECT* rect);
    HWND foreground();
    // 0 when the handle is not known.
    DWORD processId(HWND hwnd);
    // -1 when the bus thread does not answer.
    int handleCount();

    // On the bus thread: the accessible behind a handle (not a new reference; a call to its program
    // may drop it, as the program may report it gone meanwhile), and the handle of an accessible
    // (given on first sight; null for none).
    AtspiAccessible* accessibleOf(HWND hwnd);
    HWND handleFor(AtspiAccessible* accessible);
    // On the bus thread: the process of the accessible's program, asked of the bus daemon once per
    // program and never of the program itself.
    DWORD processOf(AtspiAccessible* accessible);
    // On the bus thread: whether the accessible is one of this process's own objects. They are
    // served by our GUI thread, which may be waiting for the bus thread, so nothing is ever asked
    // of them and they never get a handle.
    bool isOwn(AtspiAccessible* accessible);
    // Which of the handles still stand for live objects, in one hand-over for all of them.
    std::vector<bool> areWindows(const std::vector<HWND>& hwnds);

private:
    AtspiDesktop() = default;
    bool start();
    // Logs what the bus holds while the desktop's setting is off, which toolkits read differently.
    void reportSwitchedOff();
    // On the bus thread: the programs on the bus besides this one.
    int otherPrograms();
    void run();
    void listen();
    void onEvent(AtspiEvent* event);
    void pollFrame();
    void drop(HWND hwnd);
    // On the bus thread, for a handle already given out.
    bool alive(HWND hwnd);
    void raise(DWORD event, HWND hwnd, LONG objectId);
    static void eventCallback(AtspiEvent* event, void* data);
    static int pollCallback(void* data);
    // Queues the job on the bus thread; whether it ended within the wait.
    static bool handOver(std::function<void()> job);

    struct Record
    {
        AtspiAccessible* accessible = nullptr;   // one reference held
        DWORD pid = 0;
    };
    std::map<HWND, Record> records;
    std::map<AtspiAccessible*, HWND> handles;
    // By the program's unique name on the bus, which is never given to another program.
    std::map<std::string, DWORD> processes;
    uintptr_t nextHandle = 0x20000000;
    HWND focused = nullptr;
    HWND activeFrame = nullptr;
    HWND polledFrame = nullptr;
    RECT polledRect;
};

} // namespace atspi_detail
