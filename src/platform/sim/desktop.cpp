#include "desktop.h"

#include <algorithm>
#include <chrono>
#include <unistd.h>
#include <utility>

#include "../comapi.h"
#include "../winevent.h"
#include "counters.h"
#include "state.h"
#include "word.h"

namespace platform_detail {
Counters& counters()
{
    static Counters instance;
    return instance;
}
}

namespace sim_detail {

State& state()
{
    // Never destroyed, for the same reason as the hook registry: threads ending late still ask it.
    static State* instance = new State;
    return *instance;
}

HRESULT enter(sim::Call call)
{
    State& s = state();
    Lock lock(s.mutex);
    s.calls[call]++;
    auto it = s.failures.find(call);
    return it == s.failures.end() ? S_OK : it->second;
}

bool hookRefused(DWORD eventMin, DWORD eventMax)
{
    State& s = state();
    Lock lock(s.mutex);
    for (const auto& [min, max] : s.refusedHooks) {
        if (min == eventMin && max == eventMax)
            return true;
    }
    return false;
}

const Window* window(HWND hwnd)
{
    State& s = state();
    auto it = s.windows.find(hwnd);
    return it == s.windows.end() ? nullptr : &it->second;
}

DWORD eventTime()
{
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int copyText(const std::u16string& text, WCHAR* buffer, int maxCount)
{
    if (!buffer || maxCount <= 0)
        return 0;
    const int length = std::min<int>(static_cast<int>(text.size()), maxCount - 1);
    std::copy(text.begin(), text.begin() + length, buffer);
    buffer[length] = 0;
    return length;
}

} // namespace sim_detail

using namespace sim_detail;

namespace sim {

DWORD createProcess(const ProcessSpec& desc)
{
    State& s = state();
    Lock lock(s.mutex);
    Process p;
    p.pid = s.nextProcess;
    p.tid = s.nextProcess + 1;
    s.nextProcess += 4;
    p.desc = desc;
    s.processes[p.pid] = p;
    return p.pid;
}

DWORD ownProcessId()
{
    return GetCurrentProcessId();
}

HWND createWindow(const WindowSpec& desc)
{
    State& s = state();
    Lock lock(s.mutex);
    Window w;
    w.desc = desc;
    w.hwnd = reinterpret_cast<HWND>(s.nextWindow);
    s.nextWindow += 0x10;
    w.pid = desc.processId;
    if (!w.pid) {
        if (const Window* above = window(desc.parent ? desc.parent : desc.owner))
            w.pid = above->pid;
        else
            w.pid = createProcess({});
    }
    auto p = s.processes.find(w.pid);
    // Own-process windows run on the calling thread, like windows a program creates itself.
    w.tid = p != s.processes.end() ? p->second.tid : GetCurrentThreadId();
    if (desc.parent) {
        auto parent = s.windows.find(desc.parent);
        if (parent != s.windows.end())
            parent->second.children.push_back(w.hwnd);
    }
    s.windows[w.hwnd] = w;
    return w.hwnd;
}

namespace {
void destroyLocked(State& s, HWND hwnd)
{
    auto it = s.windows.find(hwnd);
    if (it == s.windows.end())
        return;
    const std::vector<HWND> children = it->second.children;
    for (HWND child : children)
        destroyLocked(s, child);
    if (HWND parent = it->second.desc.parent) {
        auto p = s.windows.find(parent);
        if (p != s.windows.end())
            p->second.children.erase(std::remove(p->second.children.begin(), p->second.children.end(), hwnd), p->second.children.end());
    }
    for (auto a = s.accessibles.begin(); a != s.accessibles.end();) {
        if (a->second->hwnd == hwnd) {
            a->second->connected = false;
            a = s.accessibles.erase(a);
        } else {
            ++a;
        }
    }
    for (auto e = s.elements.begin(); e != s.elements.end();) {
        if (e->second->hwnd == hwnd) {
            e->second->connected = false;
            e = s.elements.erase(e);
        } else {
            ++e;
        }
    }
    if (s.foreground == hwnd)
        s.foreground = nullptr;
    if (s.focus == hwnd)
        s.focus = nullptr;
    s.windows.erase(hwnd);
}

void raiseFrom(DWORD event, HWND hwnd, LONG objectId, LONG childId)
{
    DWORD pid = 0;
    DWORD tid = 0;
    {
        State& s = state();
        Lock lock(s.mutex);
        if (const Window* w = window(hwnd)) {
            pid = w->pid;
            tid = w->tid;
        }
    }
    platform_detail::raiseWinEvent(event, hwnd, objectId, childId, pid, tid);
}
} // namespace

void destroyWindow(HWND hwnd)
{
    State& s = state();
    Lock lock(s.mutex);
    destroyLocked(s, hwnd);
}

void setWindowTitle(HWND hwnd, const std::u16string& title)
{
    State& s = state();
    Lock lock(s.mutex);
    auto it = s.windows.find(hwnd);
    if (it != s.windows.end())
        it->second.desc.title = title;
}

void setForeground(HWND hwnd)
{
    HWND before = nullptr;
    void (*moved)(HWND, HWND) = nullptr;
    {
        State& s = state();
        Lock lock(s.mutex);
        before = std::exchange(s.foreground, hwnd);
        moved = s.foregroundMoved;
    }
    raiseFrom(EVENT_SYSTEM_FOREGROUND, hwnd, OBJID_WINDOW, CHILDID_SELF);
    if (moved)
        moved(before, hwnd);
}

void setFocus(HWND hwnd, LONG objectId, LONG childId)
{
    {
        State& s = state();
        Lock lock(s.mutex);
        s.focus = hwnd;
    }
    raiseFrom(EVENT_OBJECT_FOCUS, hwnd, objectId, childId);
}

void moveWindow(HWND hwnd, const RECT& rect)
{
    {
        State& s = state();
        Lock lock(s.mutex);
        auto it = s.windows.find(hwnd);
        if (it == s.windows.end())
            return;
        it->second.desc.rect = rect;
    }
    raiseFrom(EVENT_OBJECT_LOCATIONCHANGE, hwnd, OBJID_WINDOW, CHILDID_SELF);
}

void fireEvent(DWORD event, HWND hwnd, LONG objectId, LONG childId)
{
    raiseFrom(event, hwnd, objectId, childId);
}

AccessibleId attachAccessible(HWND hwnd, LONG objectId, const AccessibleSpec& desc)
{
    State& s = state();
    Lock lock(s.mutex);
    for (auto& [id, node] : s.accessibles) {
        if (node->hwnd == hwnd && node->objectId == objectId) {
            node->desc = desc;
            return id;
        }
    }
    auto node = std::make_shared<AccNode>();
    node->id = s.nextId++;
    node->hwnd = hwnd;
    node->objectId = objectId;
    node->desc = desc;
    s.accessibles[node->id] = node;
    return node->id;
}

void updateAccessible(AccessibleId id, const AccessibleSpec& desc)
{
    State& s = state();
    Lock lock(s.mutex);
    auto it = s.accessibles.find(id);
    if (it != s.accessibles.end())
        it->second->desc = desc;
}

void setAccessibleChild(AccessibleId id, LONG childId, const AccessibleSpec& desc)
{
    State& s = state();
    Lock lock(s.mutex);
    auto it = s.accessibles.find(id);
    if (it != s.accessibles.end() && childId != CHILDID_SELF)
        it->second->children[childId] = desc;
}

AccessibleId accessibleOf(IUnknown* object)
{
    auto node = accNodeOf(object);
    return node ? node->id : 0;
}

ElementId createElement(HWND hwnd, ElementId parent, const ElementSpec& desc)
{
    State& s = state();
    Lock lock(s.mutex);
    auto node = std::make_shared<ElementNode>();
    node->id = s.nextId++;
    node->hwnd = hwnd;
    node->parent = parent;
    node->desc = desc;
    auto p = s.elements.find(parent);
    if (p != s.elements.end())
        p->second->children.push_back(node->id);
    s.elements[node->id] = node;
    return node->id;
}

void linkElement(AccessibleId accessible, ElementId element)
{
    State& s = state();
    Lock lock(s.mutex);
    auto it = s.accessibles.find(accessible);
    if (it != s.accessibles.end())
        it->second->element = element;
}

namespace {
// A new interface object over the record with this id; null when there is none.
template <class Interface, class Node>
ComPtr<Interface> objectOver(const std::map<int, std::shared_ptr<Node>>& nodes, int id,
                             Interface* (*make)(const std::shared_ptr<Node>&))
{
    Lock lock(state().mutex);
    auto it = nodes.find(id);
    ComPtr<Interface> result;
    if (it != nodes.end())
        result.Attach(make(it->second));
    return result;
}
}

IUIAutomationElementPtr elementPtr(ElementId id)
{
    return objectOver(state().elements, id, &newElement);
}

IAccessiblePtr accessiblePtr(AccessibleId id)
{
    return objectOver(state().accessibles, id, &newAccessible);
}

ElementId elementOf(IUnknown* object)
{
    auto node = elementNodeOf(object);
    return node ? node->id : 0;
}

void failCall(Call call, HRESULT result)
{
    State& s = state();
    Lock lock(s.mutex);
    s.failures[call] = result;
}

void clearFailures()
{
    State& s = state();
    Lock lock(s.mutex);
    s.failures.clear();
    s.refusedHooks.clear();
}

void refuseHooks(DWORD eventMin, DWORD eventMax)
{
    State& s = state();
    Lock lock(s.mutex);
    s.refusedHooks.emplace_back(eventMin, eventMax);
}

int callCount(Call call)
{
    State& s = state();
    Lock lock(s.mutex);
    return s.calls[call];
}

int liveComObjects() { return platform_detail::counters().comObjects; }
int liveStrings() { return platform_detail::counters().strings; }
int openProcessHandles() { return platform_detail::counters().processHandles; }
int installedHooks() { return platform_detail::counters().hooks; }
int loadedLibraries() { return platform_detail::counters().libraries; }
int comInitTotal() { return platform_detail::counters().comInits; }

void reset()
{
    resetWord();
    State& s = state();
    Lock lock(s.mutex);
    for (auto& [id, node] : s.accessibles)
        node->connected = false;
    for (auto& [id, node] : s.elements)
        node->connected = false;
    s.accessibles.clear();
    s.elements.clear();
    s.windows.clear();
    s.processes.clear();
    s.foreground = nullptr;
    s.focus = nullptr;
    s.failures.clear();
    s.calls.clear();
}

} // namespace sim
