#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "desktop.h"

// The simulated desktop's own records, shared by the calls that answer from it.
namespace sim_detail {

struct Process
{
    DWORD pid = 0;
    DWORD tid = 0;
    sim::ProcessSpec desc;
};

struct Window
{
    HWND hwnd = nullptr;
    sim::WindowSpec desc;
    DWORD pid = 0;
    DWORD tid = 0;
    std::vector<HWND> children;
};

struct AccNode
{
    int id = 0;
    HWND hwnd = nullptr;
    LONG objectId = 0;
    sim::AccessibleSpec desc;
    std::map<LONG, sim::AccessibleSpec> children;   // child ids answered apart from desc
    bool connected = true;
    int element = 0;
    IUnknown* identity = nullptr;        // not owned; cleared when the identity object dies
};

struct ElementNode
{
    int id = 0;
    HWND hwnd = nullptr;
    int parent = 0;
    std::vector<int> children;
    sim::ElementSpec desc;
    bool connected = true;
};

struct State
{
    std::recursive_mutex mutex;
    std::map<DWORD, Process> processes;
    std::map<HWND, Window> windows;
    HWND foreground = nullptr;
    HWND focus = nullptr;
    // Told of every foreground change (the word processor's windows activate on it).
    void (*foregroundMoved)(HWND before, HWND now) = nullptr;
    uintptr_t nextWindow = 0x10010;
    DWORD nextProcess = 0x40000010;
    int nextId = 1;
    std::map<int, std::shared_ptr<AccNode>> accessibles;
    std::map<int, std::shared_ptr<ElementNode>> elements;
    std::map<sim::Call, HRESULT> failures;
    std::vector<std::pair<DWORD, DWORD>> refusedHooks;   // event ranges SetWinEventHook refuses
    std::map<sim::Call, int> calls;
};

State& state();
using Lock = std::lock_guard<std::recursive_mutex>;

// Counts the call and answers the failure set for it, S_OK otherwise.
HRESULT enter(sim::Call call);
// Whether a hook for exactly this event range is to be refused.
bool hookRefused(DWORD eventMin, DWORD eventMax);
const Window* window(HWND hwnd);
DWORD eventTime();

// Interface objects over the records (made per request, as a client would receive them).
IAccessible* newAccessible(const std::shared_ptr<AccNode>& node);
IUIAutomationElement* newElement(const std::shared_ptr<ElementNode>& node);
std::shared_ptr<AccNode> accNodeOf(IUnknown* object);
std::shared_ptr<ElementNode> elementNodeOf(IUnknown* object);
HRESULT createAutomation(REFIID iid, void** object);

// Copies text into a caller's buffer of maxCount characters, cut to maxCount - 1 and terminated.
int copyText(const std::u16string& text, WCHAR* buffer, int maxCount);

} // namespace sim_detail

namespace platform_detail {
// Hands an event to every matching hook's thread.
void raiseWinEvent(DWORD event, HWND hwnd, LONG objectId, LONG childId, DWORD processId, DWORD threadId);
}
