#include "eventlistener.h"

#include "connectionpoint.h"

EventListener::~EventListener()
{
    if (connectionPoint)
        connectionPoint->Release();
}

HRESULT EventListener::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT EventListener::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT EventListener::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT EventListener::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT EventListener::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return S_FALSE;
}

HRESULT EventListener::advise(IUnknown* source, REFIID eventsIid)
{
    unadvise();
    if (!source)
        return E_POINTER;
    IConnectionPointContainer* container = nullptr;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (FAILED(hr) || !container)
        return FAILED(hr) ? hr : E_NOINTERFACE;
    hr = container->FindConnectionPoint(eventsIid, &connectionPoint);
    container->Release();
    if (SUCCEEDED(hr) && connectionPoint)
        hr = connectionPoint->Advise(static_cast<IDispatch*>(this), &cookie);
    else if (SUCCEEDED(hr))
        hr = E_FAIL;
    if (FAILED(hr) && connectionPoint) {
        connectionPoint->Release();
        connectionPoint = nullptr;
        cookie = 0;
    }
    return hr;
}

void EventListener::unadvise()
{
    if (!connectionPoint)
        return;
    connectionPoint->Unadvise(cookie);
    connectionPoint->Release();
    connectionPoint = nullptr;
    cookie = 0;
}
