#include "comvariant.h"

#include <utility>

namespace {
void setString(VARIANT& v, const char16_t* text, size_t length)
{
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(text, static_cast<UINT>(length));
}

// The value a by-reference variant points at, as a plain variant (no ownership).
VARIANT dereferenced(const VARIANT& v)
{
    if (!(v.vt & VT_BYREF) || !v.byref)
        return v;
    const VARTYPE type = v.vt & ~VT_BYREF;
    if (type == VT_VARIANT)
        return dereferenced(*v.pvarVal);
    VARIANT plain;
    plain.vt = type;
    switch (type) {
    case VT_I4:
        plain.lVal = *v.plVal;
        break;
    case VT_BOOL:
        plain.boolVal = *v.pboolVal;
        break;
    case VT_BSTR:
        plain.bstrVal = *v.pbstrVal;
        break;
    case VT_DISPATCH:
        plain.pdispVal = *v.ppdispVal;
        break;
    default:
        plain.vt = VT_EMPTY;
        break;
    }
    return plain;
}
}

_variant_t::_variant_t(const VARIANT& other)
{
    VariantCopy(this, &other);
}

_variant_t::_variant_t(const _variant_t& other) : _variant_t(static_cast<const VARIANT&>(other)) {}

_variant_t::_variant_t(_variant_t&& other) noexcept
{
    static_cast<VARIANT&>(*this) = other;
    VariantInit(&other);
}

_variant_t::_variant_t(int value)
{
    vt = VT_I4;
    lVal = value;
}

_variant_t::_variant_t(bool value)
{
    vt = VT_BOOL;
    boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

_variant_t::_variant_t(const QString& value)
{
    setString(*this, reinterpret_cast<const char16_t*>(value.utf16()), static_cast<size_t>(value.size()));
}

_variant_t::_variant_t(const std::u16string& value)
{
    setString(*this, value.data(), value.size());
}

_variant_t::_variant_t(const char16_t* value) : _variant_t(std::u16string(value ? value : u"")) {}

_variant_t::_variant_t(IDispatch* value)
{
    vt = VT_DISPATCH;
    pdispVal = value;
    if (value)
        value->AddRef();
}

_variant_t::_variant_t(const IDispatchPtr& value) : _variant_t(value.GetInterfacePtr()) {}

_variant_t::~_variant_t()
{
    VariantClear(this);
}

_variant_t& _variant_t::operator=(const _variant_t& other)
{
    if (this != &other)
        VariantCopy(this, &other);
    return *this;
}

_variant_t& _variant_t::operator=(_variant_t&& other) noexcept
{
    if (this != &other) {
        VariantClear(this);
        static_cast<VARIANT&>(*this) = other;
        VariantInit(&other);
    }
    return *this;
}

_variant_t _variant_t::missing()
{
    _variant_t v;
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

_variant_t _variant_t::byRef(LONG* target)
{
    _variant_t v;
    v.vt = VT_BYREF | VT_I4;
    v.plVal = target;
    return v;
}

_variant_t _variant_t::byRef(VARIANT_BOOL* target)
{
    _variant_t v;
    v.vt = VT_BYREF | VT_BOOL;
    v.pboolVal = target;
    return v;
}

void _variant_t::Clear()
{
    VariantClear(this);
}

VARIANT _variant_t::Detach()
{
    VARIANT out = *this;
    VariantInit(this);
    return out;
}

VARIANT* _variant_t::GetAddress()
{
    VariantClear(this);
    return this;
}

bool _variant_t::isMissing() const
{
    return vt == VT_ERROR && scode == DISP_E_PARAMNOTFOUND;
}

LONG _variant_t::toLong() const
{
    const VARIANT v = dereferenced(*this);
    switch (v.vt) {
    case VT_I4:
    case VT_INT:
        return v.lVal;
    case VT_I2:
        return v.iVal;
    case VT_UINT:
        return static_cast<LONG>(v.uintVal);
    case VT_I8:
        return static_cast<LONG>(v.llVal);
    case VT_R8:
        return static_cast<LONG>(v.dblVal);
    case VT_BOOL:
        return v.boolVal ? -1 : 0;
    case VT_BSTR:
        return QString::fromUtf16(v.bstrVal, static_cast<int>(SysStringLen(v.bstrVal))).trimmed().toInt();
    default:
        return 0;
    }
}

bool _variant_t::toBool() const
{
    const VARIANT v = dereferenced(*this);
    if (v.vt == VT_BOOL)
        return v.boolVal != VARIANT_FALSE;
    return toLong() != 0;
}

QString _variant_t::toString() const
{
    const VARIANT v = dereferenced(*this);
    switch (v.vt) {
    case VT_BSTR:
        return QString::fromUtf16(v.bstrVal, static_cast<int>(SysStringLen(v.bstrVal)));
    case VT_I4:
    case VT_INT:
    case VT_I2:
    case VT_UINT:
    case VT_I8:
        return QString::number(toLong());
    case VT_BOOL:
        return v.boolVal ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return QString();
    }
}

IDispatchPtr _variant_t::toDispatch() const
{
    const VARIANT v = dereferenced(*this);
    if (v.vt == VT_DISPATCH)
        return IDispatchPtr(v.pdispVal);
    if (v.vt == VT_UNKNOWN && v.punkVal) {
        IDispatchPtr result;
        v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&result));
        return result;
    }
    return nullptr;
}
