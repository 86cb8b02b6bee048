#include "comapi.h"

#include <mutex>
#include <set>

#include "atspi/atspiautomation.h"
#include "atspi/atspidesktop.h"
#include "comptr.h"
#include "sim/counters.h"
#include "sim/state.h"
#include "sapi.h"
#include "sim/wordstate.h"
#include "uiautomation.h"

namespace {
thread_local int comInitCount = 0;

// Every live COM object is kept in this set: it is how they are counted, and it keeps objects that
// callers deliberately abandon reachable rather than reported as leaks.
struct ObjectSet
{
    std::mutex mutex;
    std::set<const void*> objects;
};
ObjectSet& objectSet()
{
    static ObjectSet* instance = new ObjectSet;
    return *instance;
}
}

namespace platform_detail {
HRESULT createSpeechVoice(REFIID iid, void** object);

void registerComObject(const void* object)
{
    ObjectSet& set = objectSet();
    std::lock_guard<std::mutex> lock(set.mutex);
    set.objects.insert(object);
    counters().comObjects++;
}

void unregisterComObject(const void* object)
{
    ObjectSet& set = objectSet();
    std::lock_guard<std::mutex> lock(set.mutex);
    set.objects.erase(object);
    counters().comObjects--;
}
}

HRESULT CoInitialize(void*)
{
    platform_detail::counters().comInits++;
    return comInitCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize()
{
    if (comInitCount == 0)
        return;
    --comInitCount;
    platform_detail::counters().comInits--;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (comInitCount == 0)
        return CO_E_NOTINITIALIZED;
    if (outer)
        return E_INVALIDARG;
    if (clsid == CLSID_CUIAutomation) {
        // Elements come from the bus when it is the chosen desktop; the call is still counted.
        if (atspi_detail::AtspiDesktop::instance()) {
            if (HRESULT hr = sim_detail::enter(sim::Call::CreateAutomation); FAILED(hr))
                return hr;
            return atspi_detail::createAutomation(iid, object);
        }
        return sim_detail::createAutomation(iid, object);
    }
    if (clsid == CLSID_SpVoice)
        return platform_detail::createSpeechVoice(iid, object);
    return REGDB_E_CLASSNOTREG;
}

bool IsSameComObject(IUnknown* a, IUnknown* b)
{
    if (!a || !b)
        return a == b;
    IUnknownPtr ia;
    IUnknownPtr ib;
    a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&ia));
    b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&ib));
    return ia && ia == ib;
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid)
{
    if (!progId || !clsid)
        return E_INVALIDARG;
    return sim_detail::wordClassOf(progId, clsid);
}

HRESULT GetActiveObject(REFCLSID clsid, void*, IUnknown** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (HRESULT hr = sim_detail::enter(sim::Call::GetActiveObject); FAILED(hr))
        return hr;
    return sim_detail::wordActiveObject(clsid, object);
}

namespace sim {
int comInitCount() { return ::comInitCount; }
}
