#pragma once

#include <map>
#include <mutex>
#include <string>

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
//   object; window:activate raises EVENT_SYSTEM_FOREGROUND with OBJID_WINDOW on the frame;
//   object:bounds-changed of the focused object (OBJID_CLIENT) or its frame (OBJID_WINDOW) raises
//   EVENT_OBJECT_LOCATIONCHANGE. GTK 3 reports no event when a window is only moved, so the focused
//   object's frame is also polled every 200 ms and a move raises the same event.
// - MSAA: OBJID_CLIENT and OBJID_WINDOW both give the accessible itself; its role is editable text
//   (42) only for an editable object with the Text interface that is no password field; the value is
//   the whole text. UI Automation elements lie over the same accessibles; see atspiautomation.h.
//
// Threading: one thread of ours runs a GLib main context that carries the bus connection and the
// event listeners; hook events go from there into the per-thread queues of winevent.cpp. Bus calls
// from any thread are serialised by one lock, which that thread gives up only while it waits for
// input. Every call times out after 2 s, so a hung program cannot hold ours.
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

    using Lock = std::unique_lock<std::recursive_mutex>;
    // Held around every use of the bus.
    static Lock lock();

    bool isWindow(HWND hwnd);
    HWND parent(HWND hwnd);
    HWND root(HWND hwnd);
    std::u16string className(HWND hwnd);
    std::u16string title(HWND hwnd);
    bool rect(HWND hwnd, RECT* rect);
    HWND foreground();
    // 0 when the handle is not known.
    DWORD processId(HWND hwnd);
    int handleCount();

    // With the lock held: the accessible behind a handle (not a new reference), and the handle of an
    // accessible (given on first sight; null for none).
    AtspiAccessible* accessibleOf(HWND hwnd);
    HWND handleFor(AtspiAccessible* accessible);
    // With the lock held: the process of the accessible's program.
    DWORD processOf(AtspiAccessible* accessible);

private:
    AtspiDesktop() = default;
    bool start();
    void run();
    void listen();
    void onEvent(AtspiEvent* event);
    void pollFrame();
    void drop(HWND hwnd);
    void raise(DWORD event, HWND hwnd, LONG objectId);
    static void eventCallback(AtspiEvent* event, void* data);
    static int pollCallback(void* data);

    struct Record
    {
        AtspiAccessible* accessible = nullptr;   // one reference held
        DWORD pid = 0;
    };
    std::map<HWND, Record> records;
    std::map<AtspiAccessible*, HWND> handles;
    uintptr_t nextHandle = 0x20000000;
    HWND focused = nullptr;
    HWND activeFrame = nullptr;
    HWND polledFrame = nullptr;
    RECT polledRect;
    GMainContext* context = nullptr;
    bool started = false;
};

} // namespace atspi_detail
