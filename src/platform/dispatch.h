#pragma once

#include "variant.h"

// Late binding: a member is found by name (GetIDsOfNames) and called through Invoke with its
// arguments in DISPPARAMS, stored last argument first.
typedef LONG DISPID;
typedef DWORD LCID;

struct DISPPARAMS
{
    VARIANTARG* rgvarg = nullptr;
    DISPID* rgdispidNamedArgs = nullptr;
    UINT cArgs = 0;
    UINT cNamedArgs = 0;
};

struct EXCEPINFO;

inline constexpr IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct IDispatch : IUnknown
{
    using Base = IUnknown;
    static const IID& uuid() { return IID_IDispatch; }

    virtual HRESULT GetIDsOfNames(REFIID reserved, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID member, REFIID reserved, LCID locale, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argumentError) = 0;

protected:
    ~IDispatch() = default;
};
