#pragma once

#include <string>

#include <QString>

#include "comptr.h"
#include "dispatch.h"

using IDispatchPtr = ComPtr<IDispatch>;

// A VARIANT that owns what it holds: strings and interface references are freed when it goes or is
// overwritten. Copies are deep (VariantCopy). By-reference variants point at storage the caller keeps
// alive; they are how out-arguments reach a late-bound call.
class _variant_t : public VARIANT
{
public:
    _variant_t() = default;
    _variant_t(const VARIANT& other);
    _variant_t(const _variant_t& other);
    _variant_t(_variant_t&& other) noexcept;
    _variant_t(int value);                         // VT_I4
    _variant_t(bool value);                        // VT_BOOL
    _variant_t(const QString& value);              // VT_BSTR
    _variant_t(const std::u16string& value);       // VT_BSTR
    _variant_t(const char16_t* value);             // VT_BSTR
    _variant_t(IDispatch* value);                  // VT_DISPATCH, with a reference of its own
    _variant_t(const IDispatchPtr& value);
    ~_variant_t();

    _variant_t& operator=(const _variant_t& other);
    _variant_t& operator=(_variant_t&& other) noexcept;

    // An omitted optional argument: VT_ERROR holding DISP_E_PARAMNOTFOUND.
    static _variant_t missing();
    // Out-arguments: the callee writes through the pointer.
    static _variant_t byRef(LONG* target);
    static _variant_t byRef(VARIANT_BOOL* target);

    void Clear();
    // Hands the value over to the caller, leaving this one empty.
    VARIANT Detach();
    // Cleared storage for a callee to fill.
    VARIANT* GetAddress();

    bool isEmpty() const { return vt == VT_EMPTY; }
    bool isMissing() const;
    // Conversions the callers need; a value of another kind converts to 0, false, "" or null.
    // Integers, booleans and numeric strings are read through any by-reference level.
    LONG toLong() const;
    bool toBool() const;
    QString toString() const;
    IDispatchPtr toDispatch() const;
};

// vtMissing stands for an argument left out (VT_ERROR holding DISP_E_PARAMNOTFOUND). It is a constant
// without storage of its own, so the platform's copies in a program and in its libraries never
// clash over one global.
struct MissingArgument
{
    operator _variant_t() const { return _variant_t::missing(); }
};
constexpr MissingArgument vtMissing{};
