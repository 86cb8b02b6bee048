#pragma once

#include "comptr.h"
#include "dispatch.h"

struct IConnectionPoint;

// A minimal event sink: an IDispatch that can advise itself to a source's connection point. It
// ignores every event; subclasses answer the events they want.
class EventListener : public ComObject<IDispatch>
{
public:
    EventListener() = default;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    // A sink describes no types and is not called by name.
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID reserved, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    HRESULT Invoke(DISPID member, REFIID reserved, LCID locale, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // Connects to the source's point for eventsIid (after leaving any earlier one); the first failing
    // result is returned and a failed attempt keeps no connection point.
    HRESULT advise(IUnknown* source, REFIID eventsIid);
    // Leaves the connection point, which is released even when the source refuses.
    void unadvise();
    bool isAdvised() const { return connectionPoint != nullptr; }

protected:
    ~EventListener() override;

private:
    IConnectionPoint* connectionPoint = nullptr;
    DWORD cookie = 0;
};
