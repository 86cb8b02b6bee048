#include "variant.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "dispatch.h"
#include "sim/counters.h"

namespace {
// The length in bytes is stored in front of the text, as the string's own header.
uint32_t* header(BSTR text) { return reinterpret_cast<uint32_t*>(text) - 1; }
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    auto* block = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) + (length + 1) * sizeof(OLECHAR)));
    if (!block)
        return nullptr;
    block[0] = length * sizeof(OLECHAR);
    auto* chars = reinterpret_cast<OLECHAR*>(block + 1);
    if (text)
        std::memcpy(chars, text, length * sizeof(OLECHAR));
    else
        std::memset(chars, 0, length * sizeof(OLECHAR));
    chars[length] = 0;
    platform_detail::counters().strings++;
    return chars;
}

BSTR SysAllocString(const OLECHAR* text)
{
    if (!text)
        return nullptr;
    UINT length = 0;
    while (text[length])
        ++length;
    return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text)
{
    if (!text)
        return;
    platform_detail::counters().strings--;
    std::free(header(text));
}

UINT SysStringLen(BSTR text)
{
    return text ? *header(text) / sizeof(OLECHAR) : 0;
}

void VariantInit(VARIANT* value)
{
    value->vt = VT_EMPTY;
    value->llVal = 0;
}

HRESULT VariantClear(VARIANT* value)
{
    if (!value)
        return E_INVALIDARG;
    switch (value->vt) {
    case VT_BSTR:
        SysFreeString(value->bstrVal);
        break;
    case VT_UNKNOWN:
        if (value->punkVal)
            value->punkVal->Release();
        break;
    case VT_DISPATCH:
        if (value->pdispVal)
            value->pdispVal->Release();
        break;
    default:
        break;
    }
    VariantInit(value);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* target, const VARIANT* source)
{
    if (!target || !source)
        return E_INVALIDARG;
    if (target == source)
        return S_OK;
    VariantClear(target);
    VARIANT copy = *source;
    switch (source->vt) {
    case VT_BSTR:
        copy.bstrVal = source->bstrVal ? SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal))
                                       : nullptr;
        break;
    case VT_UNKNOWN:
        if (copy.punkVal)
            copy.punkVal->AddRef();
        break;
    case VT_DISPATCH:
        if (copy.pdispVal)
            copy.pdispVal->AddRef();
        break;
    default:
        break;
    }
    *target = copy;
    return S_OK;
}
