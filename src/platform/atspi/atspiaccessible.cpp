#include "atspiaccessible.h"

#include <atspi/atspi.h>

#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "atspidesktop.h"
#include "atspiquery.h"
#include "documenttext.h"

namespace atspi_detail {
namespace {

// One identity per accessible while any interface object over it lives. Objects are made and
// released on any thread.
std::mutex& identityMutex()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::map<AtspiAccessible*, IUnknown*>& identities()
{
    static auto* all = new std::map<AtspiAccessible*, IUnknown*>;
    return *all;
}

class Identity : public ComObject<IUnknown>
{
public:
    explicit Identity(AtspiAccessible* key) : key(key) {}

    // The last release and leaving the table are one step, so nobody finds an identity that is
    // being deleted.
    ULONG Release() override
    {
        std::lock_guard<std::mutex> held(identityMutex());
        return ComObject<IUnknown>::Release();
    }

protected:
    // With the identity lock held (by Release).
    ~Identity() override
    {
        auto it = identities().find(key);
        if (it != identities().end() && it->second == this)
            identities().erase(it);
    }

private:
    AtspiAccessible* key;
};

} // namespace

AtspiAccessibleObject::AtspiAccessibleObject(BusRef accessible, HWND hwnd) : object(std::move(accessible)), hwnd(hwnd)
{
    std::lock_guard<std::mutex> held(identityMutex());
    IUnknown*& shared = identities()[object.get()];
    if (shared) {
        shared->AddRef();
    } else {
        shared = new Identity(object.get());   // its one reference is ours
    }
    identity = shared;
}

AtspiAccessibleObject::~AtspiAccessibleObject()
{
    identity->Release();
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
    const std::optional<LONG> value = AtspiDesktop::call(
        [object = object]() -> std::optional<LONG> {
            LONG found = 0;
            return msaaRole(object.get(), found) ? std::optional<LONG>(found) : std::nullopt;
        },
        std::nullopt);
    if (!value)
        return E_FAIL;
    role->vt = VT_I4;
    role->lVal = *value;
    return S_OK;
}

HRESULT AtspiAccessibleObject::get_accValue(VARIANT child, BSTR* value)
{
    if (!value || child.vt != VT_I4)
        return E_INVALIDARG;
    *value = nullptr;
    const auto [hr, whole] = AtspiDesktop::call(
        [object = object]() -> std::pair<HRESULT, QString> {
            AtspiText* text = atspi_accessible_get_text_iface(object.get());
            if (!text && !isParagraphDocument(object.get()))
                return {S_FALSE, {}};    // objects without text have no value
            if (text)
                g_object_unref(text);
            QString read;
            if (!readText(object.get(), read))
                return {E_FAIL, {}};
            return {S_OK, read};
        },
        {E_FAIL, {}});
    if (hr == S_OK)
        *value = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(whole.utf16()), static_cast<UINT>(whole.size()));
    return hr;
}

HRESULT AtspiAccessibleObject::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child)
{
    if (!left || !top || !width || !height || child.vt != VT_I4)
        return E_INVALIDARG;
    const std::optional<RECT> found =
        AtspiDesktop::call([object = object] { return extents(object.get()); }, std::nullopt);
    if (!found)
        return E_FAIL;
    *left = found->left;
    *top = found->top;
    *width = found->right - found->left;
    *height = found->bottom - found->top;
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
    BusRef accessible = AtspiDesktop::call([desktop, hwnd] { return BusRef(desktop->accessibleOf(hwnd)); }, BusRef());
    if (!accessible)
        return E_INVALIDARG;
    *result = new AtspiAccessibleObject(std::move(accessible), hwnd);
    return S_OK;
}

} // namespace atspi_detail
