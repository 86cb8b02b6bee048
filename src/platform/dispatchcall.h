#pragma once

#include <initializer_list>

#include "comvariant.h"

// Calls one member of a late-bound object. Arguments are given in their declared order; the helper
// stores them last to first, as Invoke expects. Leave an optional argument out with vtMissing, pass an
// out-argument with _variant_t::byRef. A property put passes its value as the one argument and names
// it DISPID_PROPERTYPUT. Any failure (null object included) raises _com_error with the HRESULT; when
// the server described its error, _com_error::Description() carries it.
_variant_t dispatchInvoke(IDispatch* object, DISPID member, WORD flags, std::initializer_list<_variant_t> arguments = {});

inline _variant_t getProperty(IDispatch* object, DISPID member, std::initializer_list<_variant_t> arguments = {})
{
    return dispatchInvoke(object, member, DISPATCH_PROPERTYGET, arguments);
}

inline void putProperty(IDispatch* object, DISPID member, const _variant_t& value)
{
    dispatchInvoke(object, member, DISPATCH_PROPERTYPUT, {value});
}

inline _variant_t callMethod(IDispatch* object, DISPID member, std::initializer_list<_variant_t> arguments = {})
{
    return dispatchInvoke(object, member, DISPATCH_METHOD, arguments);
}

// The dispatch id of a member found by its name (GetIDsOfNames); raises _com_error when unknown.
DISPID dispatchIdOf(IDispatch* object, const QString& name);
