#include "appeventlistener.h"

#include "wordhelper.h"
#include "wordobjects.h"

HRESULT AppEventListener::QueryInterface(REFIID riid, void** object)
{
    if (object && (riid == IID_ApplicationEvents || riid == IID_ApplicationEvents2
                   || riid == IID_ApplicationEvents3 || riid == IID_ApplicationEvents4)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return EventListener::QueryInterface(riid, object);
}

HRESULT AppEventListener::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    return wordHelper ? wordHelper->onWordEvent(member, params) : S_FALSE;
}
