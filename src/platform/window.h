#pragma once

#include <vector>

#include "wintypes.h"

// Windows of the desktop (the simulated one: see sim/desktop.h).
constexpr UINT GA_PARENT = 1;
constexpr UINT GA_ROOT = 2;
constexpr UINT GA_ROOTOWNER = 3;

typedef BOOL (*WNDENUMPROC)(HWND hwnd, LPARAM param);

BOOL IsWindow(HWND hwnd);
// IsWindow for each of the windows, in order. The bus desktop is asked once for all of its windows,
// so a caller checking many waits for the bus thread once rather than once a window; when the bus
// thread does not answer, its windows count as existing.
std::vector<bool> WindowsExist(const std::vector<HWND>& windows);
// The parent of a child window, the owner of an owned top-level window, otherwise null.
HWND GetParent(HWND hwnd);
HWND GetAncestor(HWND hwnd, UINT flags);
// Copy at most maxCount - 1 characters and a terminating zero; the result is the length copied.
int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount);
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount);
BOOL GetWindowRect(HWND hwnd, RECT* rect);
HWND GetForegroundWindow();
// Every descendant of the window, depth first, until the callback answers FALSE.
BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM param);
// The window's thread id, its process id through *processId; 0 (and *processId untouched) for no window.
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);
UINT GetWindowModuleFileNameW(HWND hwnd, LPWSTR buffer, UINT maxCount);

// Move the simulated foreground window and keyboard focus; each raises its WinEvent
// (EVENT_SYSTEM_FOREGROUND, EVENT_OBJECT_FOCUS). SetFocus answers the window that had the focus.
BOOL SetForegroundWindow(HWND hwnd);
HWND SetFocus(HWND hwnd);
HWND GetFocus();
