#pragma once

#include "variant.h"

// Late binding: a member is found by name (GetIDsOfNames) and called through Invoke with its
// arguments in DISPPARAMS, stored last argument first.
typedef LONG DISPID;
typedef DWORD LCID;

struct DISPPARAMS
{
    VARIANTARG* rgvarg = nullptr;        // last argument first
    DISPID* rgdispidNamedArgs = nullptr;
    UINT cArgs = 0;
    UINT cNamedArgs = 0;
};

// Invoke's kinds of call; a property put names its value with the named argument DISPID_PROPERTYPUT.
constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;

// Failures of late-bound calls.
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = hresultFromBits(0x80020001u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = hresultFromBits(0x80020003u);
constexpr HRESULT DISP_E_PARAMNOTFOUND = hresultFromBits(0x80020004u);
constexpr HRESULT DISP_E_TYPEMISMATCH = hresultFromBits(0x80020005u);
constexpr HRESULT DISP_E_UNKNOWNNAME = hresultFromBits(0x80020006u);
constexpr HRESULT DISP_E_NONAMEDARGS = hresultFromBits(0x80020007u);
constexpr HRESULT DISP_E_EXCEPTION = hresultFromBits(0x80020009u);
constexpr HRESULT DISP_E_BADPARAMCOUNT = hresultFromBits(0x8002000Eu);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = hresultFromBits(0x8002000Fu);
// The server is busy and refused the call (a modal dialog is open in it, for example).
constexpr HRESULT RPC_E_CALL_REJECTED = hresultFromBits(0x80010001u);

// What a server says about a call that raised an error (Invoke answered DISP_E_EXCEPTION). The
// strings belong to the caller, who frees them.
struct EXCEPINFO
{
    WORD wCode = 0;
    WORD wReserved = 0;
    BSTR bstrSource = nullptr;
    BSTR bstrDescription = nullptr;
    BSTR bstrHelpFile = nullptr;
    DWORD dwHelpContext = 0;
    void* pvReserved = nullptr;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*) = nullptr;
    HRESULT scode = S_OK;
};

// Type descriptions of a dispatch object. Nothing here reads them, so the type stays opaque: objects
// that offer none say so through GetTypeInfoCount.
struct ITypeInfo;

inline constexpr IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct IDispatch : IUnknown
{
    using Base = IUnknown;
    static const IID& uuid() { return IID_IDispatch; }

    // How many type descriptions the object offers (0 or 1), and the one with that index.
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(REFIID reserved, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID member, REFIID reserved, LCID locale, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argumentError) = 0;

protected:
    ~IDispatch() = default;
};
