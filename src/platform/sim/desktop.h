#pragma once

#include <string>

#include "../accessible.h"
#include "../uiautomation.h"
#include "../wintypes.h"

// The simulated desktop: the other programs, windows, accessible objects and UI Automation elements
// that the Windows-name calls answer from. Tests and demonstrations build it here, move the focus,
// make calls fail and read back what the system did.
//
// Where it behaves differently from Windows:
// - Every request for an accessible object or element returns a new interface object; pointers of
//   one object are told apart only through their IUnknown identity (IsSameComObject).
// - WinEvents are queued to the installing thread and delivered only while it pumps: a running Qt
//   event loop, GetMessageW or PeekMessageW. A thread's hooks go when the thread ends.
// - COM has no apartments: objects may be called from any thread, nothing is marshalled.
// - Window handles are small numbers (they fit the 32 bits UI Automation hands them out in).
// - GetParent answers the owner of every owned top-level window, as Windows does for pop-ups.
// - Processes that are not simulated (this one among them) answer their real image from /proc.
// - The simulated desktop exists once per process: libproofkit.so carries it and exports it.
namespace sim {

struct ProcessSpec
{
    std::u16string imagePath;            // full path, Windows style
    bool canOpen = true;                 // OpenProcess succeeds
    bool moduleNameReadable = true;      // K32GetModuleFileNameExW answers the path
    bool imageNameReadable = true;       // QueryFullProcessImageNameW answers the path
};
// A new process; its id (and its one thread's id) never collides with a real Linux id.
DWORD createProcess(const ProcessSpec& desc);
// Windows of this process are skipped by hooks installed with WINEVENT_SKIPOWNPROCESS.
DWORD ownProcessId();

struct WindowSpec
{
    std::u16string className;
    std::u16string title;
    HWND parent = nullptr;               // a child window when set
    HWND owner = nullptr;                // an owned top-level window when set
    RECT rect;                           // screen coordinates
    DWORD processId = 0;                 // 0: the parent's or owner's, else a new process
    std::u16string moduleFileName;       // what GetWindowModuleFileNameW answers
};
HWND createWindow(const WindowSpec& desc);
// Destroys the window and its children; their accessible objects and elements are disconnected.
void destroyWindow(HWND hwnd);
void setWindowTitle(HWND hwnd, const std::u16string& title);

// Each of these raises its WinEvent from the window's process and thread.
void setForeground(HWND hwnd);                                                        // EVENT_SYSTEM_FOREGROUND
void setFocus(HWND hwnd, LONG objectId = OBJID_CLIENT, LONG childId = CHILDID_SELF);  // EVENT_OBJECT_FOCUS
void moveWindow(HWND hwnd, const RECT& rect);                                         // EVENT_OBJECT_LOCATIONCHANGE
void fireEvent(DWORD event, HWND hwnd, LONG objectId, LONG childId);

// MSAA: one accessible object per window and object id; it answers every child id alike unless a
// child id is given its own answers. Windows without one attached answer a default object for
// OBJID_WINDOW and OBJID_CLIENT, as real windows do.
struct AccessibleSpec
{
    LONG role = ROLE_SYSTEM_CLIENT;
    std::u16string value;
    RECT location;                       // screen coordinates
    HRESULT roleResult = S_OK;
    HRESULT valueResult = S_OK;
    HRESULT locationResult = S_OK;
};
using AccessibleId = int;
AccessibleId attachAccessible(HWND hwnd, LONG objectId, const AccessibleSpec& desc);
void updateAccessible(AccessibleId id, const AccessibleSpec& desc);
// What the object answers for one child id (CHILDID_SELF keeps the object's own answers).
void setAccessibleChild(AccessibleId id, LONG childId, const AccessibleSpec& desc);
// The simulated object behind an interface pointer, 0 when it is none of ours.
AccessibleId accessibleOf(IUnknown* object);

// UI Automation: a tree of elements per window; an element without parent is the window's root,
// which ElementFromHandle answers.
struct ElementSpec
{
    RECT rect;
    HRESULT rectResult = S_OK;
    bool textPattern = false;
    bool keyboardFocus = false;          // holds the focus, or contains the object that does
    std::u16string text;                 // the document text of the text pattern
    HRESULT documentRangeResult = S_OK;
    HRESULT textResult = S_OK;
    HRESULT fetchResult = S_OK;          // IUIAutomationElementArray::GetElement of this element
    HWND nativeWindow = nullptr;
    HRESULT cachedHandleResult = S_OK;   // get_CachedNativeWindowHandle
    HRESULT cachedPropertyResult = S_OK; // GetCachedPropertyValue
};
using ElementId = int;
ElementId createElement(HWND hwnd, ElementId parent, const ElementSpec& desc);
// The element ElementFromIAccessible answers for the accessible object.
void linkElement(AccessibleId accessible, ElementId element);
// A new reference to an element, as a UI Automation client would get it.
IUIAutomationElementPtr elementPtr(ElementId id);
IAccessiblePtr accessiblePtr(AccessibleId id);
ElementId elementOf(IUnknown* object);

// Calls that can be made to fail until clearFailures(); every call is counted.
enum class Call {
    SetWinEventHook,
    CreateAutomation,
    AccessibleObjectFromEvent,
    AccessibleObjectFromWindow,
    ElementFromIAccessible,
    ElementFromHandle,
    CreatePropertyCondition,
    FindAll,
    OpenProcess,
    GetActiveObject,
    SetForegroundWindow,
    SetFocus,
    GetCurrentPatternAs,
    ElementArrayLength,                   // IUIAutomationElementArray::get_Length
};
void failCall(Call call, HRESULT result = E_FAIL);
// SetWinEventHook refuses a hook for exactly this event range (others still install).
void refuseHooks(DWORD eventMin, DWORD eventMax);
void clearFailures();
int callCount(Call call);

// Resources in use, so a test can prove nothing leaks.
int liveComObjects();
int liveStrings();
int openProcessHandles();
int installedHooks();
int loadedLibraries();
int comInitCount();                       // on the calling thread
int comInitTotal();                       // all threads

// Forgets every window, process, object, element, failure and call count. Hooks stay installed and
// COM objects still referenced stay alive (disconnected).
void reset();

} // namespace sim
