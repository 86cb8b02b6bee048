#pragma once

#include "unknown.h"

struct IDispatch;

// BSTR: a counted UTF-16 string whose length sits just before the text; null is the empty string.
typedef OLECHAR* BSTR;
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);

typedef uint16_t VARTYPE;
typedef short VARIANT_BOOL;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I8 = 20,
    VT_INT = 22,
    VT_UINT = 23,
    VT_BYREF = 0x4000,
};

// A tagged value. By-reference values (VT_BYREF | type) point at storage the variant does not own.
struct VARIANT
{
    VARTYPE vt = VT_EMPTY;
    union {
        LONG lVal;
        short iVal;
        LONGLONG llVal;
        double dblVal;
        INT intVal;
        UINT uintVal;
        VARIANT_BOOL boolVal;
        HRESULT scode;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        LONG* plVal;
        VARIANT_BOOL* pboolVal;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        VARIANT* pvarVal;
        void* byref;
    };
    VARIANT() : llVal(0) {}
};
typedef VARIANT VARIANTARG;

void VariantInit(VARIANT* value);
// Frees what the variant owns (string, interface reference) and leaves it empty.
HRESULT VariantClear(VARIANT* value);
// Deep copy: the string is duplicated and interfaces get a reference of their own.
HRESULT VariantCopy(VARIANT* target, const VARIANT* source);
