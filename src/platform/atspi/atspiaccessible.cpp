#include "atspiaccessible.h"

#include <atspi/atspi.h>

#include <map>

#include "atspidesktop.h"
#include "atspiquery.h"

namespace atspi_detail {
namespace {

// One identity per accessible while any interface object over it lives; guarded by the bus lock.
std::map<AtspiAccessible*, IUnknown*>& identities()
{
    static auto* all = new std::map<AtspiAccessible*, IUnknown*>;
    return *all;
}

class Identity : public ComObject<IUnknown>
{
public:
    explicit Identity(AtspiAccessible* key) : key(key) {}

protected:
    ~Identity() override
    {
        AtspiDesktop::Lock held = AtspiDesktop::lock();
        auto it = identities().find(key);
        if (it != identities().end() && it->second == this)
            identities().erase(it);
    }

private:
    AtspiAccessible* key;
};

} // namespace

AtspiAccessibleObject::AtspiAccessibleObject(AtspiAccessible* accessible, HWND hwnd)
    : object(static_cast<AtspiAccessible*>(g_object_ref(accessible))), hwnd(hwnd)
{
    IUnknown*& shared = identities()[object];
    if (shared) {
        shared->AddRef();
    } else {
        shared = new Identity(object);   // its one reference is ours
    }
    identity = shared;
}

AtspiAccessibleObject::~AtspiAccessibleObject()
{
    // The identity's destructor takes the lock itself; the reference to the bus object needs it.
    identity->Release();
    AtspiDesktop::Lock held = AtspiDesktop::lock();
    g_object_unref(object);
}

AtspiAccessibleObject* AtspiAccessibleObject::from(IUnknown* unknown)
{
    if (!unknown)
        return nullptr;
    IAccessible* accessible = nullptr;
    if (FAILED(unknown->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&accessible))))
        return nullptr;
    auto* ours = dynamic_cast<AtspiAccessibleObject*>(accessible);
    accessible->Release();
    return ours;
}

HRESULT AtspiAccessibleObject::QueryInterface(REFIID iid, void** result)
{
    if (result && iid == IID_IUnknown) {
        identity->AddRef();
        *result = identity;
        return S_OK;
    }
    return ComObject<IAccessible>::QueryInterface(iid, result);
}

HRESULT AtspiAccessibleObject::get_accRole(VARIANT child, VARIANT* role)
{
    if (!role || child.vt != VT_I4)
        return E_INVALIDARG;
    VariantInit(role);
    AtspiDesktop::Lock held = AtspiDesktop::lock();
    LONG value = 0;
    if (!msaaRole(object, value))
        return E_FAIL;
    role->vt = VT_I4;
    role->lVal = value;
    return S_OK;
}

HRESULT AtspiAccessibleObject::get_accValue(VARIANT child, BSTR* value)
{
    if (!value || child.vt != VT_I4)
        return E_INVALIDARG;
    *value = nullptr;
    AtspiDesktop::Lock held = AtspiDesktop::lock();
    AtspiText* text = atspi_accessible_get_text_iface(object);
    if (!text)
        return S_FALSE;                  // objects without text have no value
    g_object_unref(text);
    QString whole;
    if (!readText(object, whole))
        return E_FAIL;
    *value = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(whole.utf16()), static_cast<UINT>(whole.size()));
    return S_OK;
}

HRESULT AtspiAccessibleObject::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child)
{
    if (!left || !top || !width || !height || child.vt != VT_I4)
        return E_INVALIDARG;
    AtspiDesktop::Lock held = AtspiDesktop::lock();
    RECT rect;
    if (!extents(object, rect))
        return E_FAIL;
    *left = rect.left;
    *top = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
}

HRESULT accessibleFromWindow(HWND hwnd, LONG objectId, IAccessible** result)
{
    *result = nullptr;
    if (objectId != OBJID_CLIENT && objectId != OBJID_WINDOW)
        return E_FAIL;
    AtspiDesktop* desktop = AtspiDesktop::owner(hwnd);
    if (!desktop)
        return E_INVALIDARG;
    AtspiDesktop::Lock held = AtspiDesktop::lock();
    AtspiAccessible* accessible = desktop->accessibleOf(hwnd);
    if (!accessible)
        return E_INVALIDARG;
    *result = new AtspiAccessibleObject(accessible, hwnd);
    return S_OK;
}

} // namespace atspi_detail
