#pragma once

#include "wintypes.h"

constexpr DWORD EVENT_SYSTEM_FOREGROUND = 0x0003;
constexpr DWORD EVENT_OBJECT_CREATE = 0x8000;
constexpr DWORD EVENT_OBJECT_DESTROY = 0x8001;
constexpr DWORD EVENT_OBJECT_FOCUS = 0x8005;
constexpr DWORD EVENT_OBJECT_SELECTION = 0x8006;
constexpr DWORD EVENT_OBJECT_STATECHANGE = 0x800A;
constexpr DWORD EVENT_OBJECT_LOCATIONCHANGE = 0x800B;

constexpr DWORD WINEVENT_OUTOFCONTEXT = 0x0000;
constexpr DWORD WINEVENT_SKIPOWNTHREAD = 0x0001;
constexpr DWORD WINEVENT_SKIPOWNPROCESS = 0x0002;
constexpr DWORD WINEVENT_INCONTEXT = 0x0004;

typedef void (*WINEVENTPROC)(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG idObject, LONG idChild,
                             DWORD idEventThread, DWORD dwmsEventTime);

// Events in [eventMin, eventMax] of the given process and thread (0: all) are delivered to the
// procedure on the installing thread, while that thread pumps messages (GetMessageW, PeekMessageW,
// or a running Qt event loop). Only out-of-context hooks exist; null when the hook is refused.
HWINEVENTHOOK SetWinEventHook(DWORD eventMin, DWORD eventMax, HMODULE module, WINEVENTPROC procedure,
                              DWORD processId, DWORD threadId, DWORD flags);
BOOL UnhookWinEvent(HWINEVENTHOOK hook);

// Thread message queues.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_USER = 0x0400;
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

struct MSG
{
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};

// Waits for a message, delivering hook events meanwhile; FALSE (0) for WM_QUIT.
BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// Fails when the thread has no message queue yet (it gets one on its first message or hook call).
BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
LPARAM DispatchMessageW(const MSG* msg);
