#pragma once

#include "../accessible.h"
#include "busref.h"

namespace atspi_detail {

// An IAccessible over one accessible of the bus, addressed as the object itself whatever the child.
// Its IUnknown identity is shared by every interface object over the same accessible, so two
// requests for one editor compare equal (IsSameComObject).
class AtspiAccessibleObject : public ComObject<IAccessible>
{
public:
    AtspiAccessibleObject(BusRef accessible, HWND hwnd);

    // Valid while this object lives.
    const BusRef& accessible() const { return object; }
    HWND window() const { return hwnd; }
    // The bus object behind an interface pointer, null when it is none of these.
    static AtspiAccessibleObject* from(IUnknown* unknown);

    HRESULT QueryInterface(REFIID iid, void** result) override;
    HRESULT GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT get_accValue(VARIANT child, BSTR* value) override;
    HRESULT accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override;

protected:
    ~AtspiAccessibleObject() override;

private:
    BusRef object;
    HWND hwnd;
    IUnknown* identity = nullptr;
};

HRESULT accessibleFromWindow(HWND hwnd, LONG objectId, IAccessible** result);

} // namespace atspi_detail
