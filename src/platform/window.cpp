#include "window.h"

#include <functional>

#include "atspi/atspidesktop.h"
#include "sim/state.h"

using namespace sim_detail;
using atspi_detail::AtspiDesktop;

BOOL IsWindow(HWND hwnd)
{
    if (AtspiDesktop* bus = AtspiDesktop::owner(hwnd))
        return bus->isWindow(hwnd) ? TRUE : FALSE;
    Lock lock(state().mutex);
    return window(hwnd) != nullptr;
}

std::vector<bool> WindowsExist(const std::vector<HWND>& windows)
{
    std::vector<bool> exist(windows.size(), false);
    std::vector<HWND> onBus;
    std::vector<size_t> busIndex;
    for (size_t i = 0; i < windows.size(); ++i) {
        if (AtspiDesktop::owner(windows[i])) {
            onBus.push_back(windows[i]);
            busIndex.push_back(i);
            continue;
        }
        Lock lock(state().mutex);
        exist[i] = window(windows[i]) != nullptr;
    }
    if (onBus.empty())
        return exist;
    const std::vector<bool> answers = AtspiDesktop::instance()->areWindows(onBus);
    for (size_t i = 0; i < busIndex.size(); ++i)
        exist[busIndex[i]] = answers[i];
    return exist;
}

HWND GetParent(HWND hwnd)
{
    if (AtspiDesktop* bus = AtspiDesktop::owner(hwnd))
        return bus->parent(hwnd);
    Lock lock(state().mutex);
    const Window* w = window(hwnd);
    if (!w)
        return nullptr;
    return w->desc.parent ? w->desc.parent : w->desc.owner;
}

HWND GetAncestor(HWND hwnd, UINT flags)
{
    if (AtspiDesktop* bus = AtspiDesktop::owner(hwnd))
        return flags == GA_PARENT ? bus->parent(hwnd)
               : flags == GA_ROOT || flags == GA_ROOTOWNER ? bus->root(hwnd)
                                                           : nullptr;
    Lock lock(state().mutex);
    const Window* w = window(hwnd);
    if (!w)
        return nullptr;
    switch (flags) {
    case GA_PARENT:
        return w->desc.parent;
    case GA_ROOT:
        while (w->desc.parent && window(w->desc.parent))
            w = window(w->desc.parent);
        return w->hwnd;
    case GA_ROOTOWNER:
        for (;;) {
            HWND up = w->desc.parent ? w->desc.parent : w->desc.owner;
            const Window* next = window(up);
            if (!next)
                return w->hwnd;
            w = next;
        }
    default:
        return nullptr;
    }
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount)
{
    if (AtspiDesktop* bus = AtspiDesktop::owner(hwnd))
        return copyText(bus->className(hwnd), buffer, maxCount);
    Lock lock(state().mutex);
    const Window* w = window(hwnd);
    return w ? copyText(w->desc.className, buffer, maxCount) : 0;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount)
{
    if (AtspiDesktop* bus = AtspiDesktop::owner(hwnd))
        return copyText(bus->title(hwnd), buffer, maxCount);
    Lock lock(state().mutex);
    const Window* w = window(hwnd);
    if (!w) {
        if (buffer && maxCount > 0)
            buffer[0] = 0;
        return 0;
    }
    return copyText(w->desc.title, buffer, maxCount);
}

BOOL GetWindowRect(HWND hwnd, RECT* rect)
{
    if (AtspiDesktop* bus = AtspiDesktop::owner(hwnd))
        return bus->rect(hwnd, rect) ? TRUE : FALSE;
    Lock lock(state().mutex);
    const Window* w = window(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = w->desc.rect;
    return TRUE;
}

HWND GetForegroundWindow()
{
    if (AtspiDesktop* bus = AtspiDesktop::instance())
        return bus->foreground();
    Lock lock(state().mutex);
    return state().foreground;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM param)
{
    // The list is taken first so the callback may change the desktop.
    std::vector<HWND> all;
    {
        Lock lock(state().mutex);
        std::function<void(HWND)> collect = [&](HWND h) {
            const Window* w = window(h);
            if (!w)
                return;
            for (HWND child : w->children) {
                all.push_back(child);
                collect(child);
            }
        };
        if (parent) {
            collect(parent);
        } else {
            for (const auto& [h, w] : state().windows) {
                if (!w.desc.parent)
                    all.push_back(h);
            }
        }
    }
    for (HWND h : all) {
        if (IsWindow(h) && !callback(h, param))
            break;
    }
    return TRUE;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId)
{
    if (AtspiDesktop* bus = AtspiDesktop::owner(hwnd)) {
        // The bus names no threads: the process id stands for both.
        const DWORD pid = bus->processId(hwnd);
        if (pid && processId)
            *processId = pid;
        return pid;
    }
    Lock lock(state().mutex);
    const Window* w = window(hwnd);
    if (!w)
        return 0;
    if (processId)
        *processId = w->pid;
    return w->tid;
}

UINT GetWindowModuleFileNameW(HWND hwnd, LPWSTR buffer, UINT maxCount)
{
    Lock lock(state().mutex);
    const Window* w = window(hwnd);
    return w ? static_cast<UINT>(copyText(w->desc.moduleFileName, buffer, static_cast<int>(maxCount))) : 0;
}

BOOL SetForegroundWindow(HWND hwnd)
{
    if (FAILED(enter(sim::Call::SetForegroundWindow)) || !IsWindow(hwnd))
        return FALSE;
    sim::setForeground(hwnd);
    return TRUE;
}

HWND SetFocus(HWND hwnd)
{
    HWND previous = GetFocus();
    if (FAILED(enter(sim::Call::SetFocus)))
        return nullptr;
    if (!hwnd) {
        Lock lock(state().mutex);
        state().focus = nullptr;
        return previous;
    }
    if (!IsWindow(hwnd))
        return nullptr;
    sim::setFocus(hwnd);
    return previous;
}

HWND GetFocus()
{
    Lock lock(state().mutex);
    return state().focus;
}
