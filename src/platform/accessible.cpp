#include "accessible.h"

#include "atspi/atspiaccessible.h"
#include "atspi/atspidesktop.h"
#include "sim/state.h"
#include "sim/wordstate.h"

using namespace sim_detail;

namespace {
std::shared_ptr<AccNode> findNode(HWND hwnd, LONG objectId)
{
    Lock lock(state().mutex);
    for (const auto& [id, node] : state().accessibles) {
        if (node->hwnd == hwnd && node->objectId == objectId)
            return node;
    }
    // Every window has a frame and a client object of its own even when nothing was attached.
    const Window* w = window(hwnd);
    if (!w || (objectId != OBJID_WINDOW && objectId != OBJID_CLIENT))
        return nullptr;
    sim::AccessibleSpec desc;
    desc.role = objectId == OBJID_WINDOW ? ROLE_SYSTEM_WINDOW : ROLE_SYSTEM_CLIENT;
    desc.location = w->desc.rect;
    desc.value = objectId == OBJID_WINDOW ? w->desc.title : std::u16string();
    const sim::AccessibleId id = sim::attachAccessible(hwnd, objectId, desc);
    return state().accessibles[id];
}
}

HRESULT AccessibleObjectFromEvent(HWND hwnd, DWORD objectId, DWORD childId, IAccessible** object,
                                  VARIANT* child)
{
    if (!object || !child)
        return E_INVALIDARG;
    *object = nullptr;
    VariantInit(child);
    if (HRESULT hr = enter(sim::Call::AccessibleObjectFromEvent); FAILED(hr))
        return hr;
    if (atspi_detail::AtspiDesktop::owner(hwnd)) {
        const HRESULT hr = atspi_detail::accessibleFromWindow(hwnd, static_cast<LONG>(objectId), object);
        if (SUCCEEDED(hr)) {
            child->vt = VT_I4;
            child->lVal = static_cast<LONG>(childId);
        }
        return hr;
    }
    {
        Lock lock(state().mutex);
        if (!window(hwnd))
            return E_INVALIDARG;
    }
    auto node = findNode(hwnd, static_cast<LONG>(objectId));
    if (!node)
        return E_FAIL;
    *object = newAccessible(node);
    child->vt = VT_I4;
    child->lVal = static_cast<LONG>(childId);
    return S_OK;
}

HRESULT AccessibleObjectFromWindow(HWND hwnd, DWORD objectId, REFIID iid, void** object)
{
    if (!object)
        return E_INVALIDARG;
    *object = nullptr;
    if (HRESULT hr = enter(sim::Call::AccessibleObjectFromWindow); FAILED(hr))
        return hr;
    if (static_cast<LONG>(objectId) == OBJID_NATIVEOM)
        return wordNativeObject(hwnd, iid, object);
    if (atspi_detail::AtspiDesktop::owner(hwnd)) {
        IAccessible* accessible = nullptr;
        if (HRESULT hr = atspi_detail::accessibleFromWindow(hwnd, static_cast<LONG>(objectId), &accessible); FAILED(hr))
            return hr;
        const HRESULT hr = accessible->QueryInterface(iid, object);
        accessible->Release();
        return hr;
    }
    auto node = findNode(hwnd, static_cast<LONG>(objectId));
    if (!node)
        return E_FAIL;
    IAccessible* accessible = newAccessible(node);
    const HRESULT hr = accessible->QueryInterface(iid, object);
    accessible->Release();
    return hr;
}
