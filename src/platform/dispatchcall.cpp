#include "dispatchcall.h"

#include <vector>

_variant_t dispatchInvoke(IDispatch* object, DISPID member, WORD flags, std::initializer_list<_variant_t> arguments)
{
    if (!object)
        _com_issue_error(E_POINTER);
    // Shallow copies: the caller's variants keep ownership for the length of the call.
    std::vector<VARIANTARG> reversed(arguments.size());
    size_t i = arguments.size();
    for (const _variant_t& argument : arguments)
        reversed[--i] = argument;
    DISPID putName = DISPID_PROPERTYPUT;
    DISPPARAMS params;
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &putName;
        params.cNamedArgs = 1;
    }
    _variant_t result;
    EXCEPINFO exception;
    UINT argumentError = 0;
    const HRESULT hr = object->Invoke(member, IID_NULL, 0, flags, &params, result.GetAddress(), &exception,
                                      &argumentError);
    QString description;
    if (exception.bstrDescription)
        description = QString::fromUtf16(exception.bstrDescription, static_cast<int>(SysStringLen(exception.bstrDescription)));
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (FAILED(hr))
        throw _com_error(hr == DISP_E_EXCEPTION && FAILED(exception.scode) ? exception.scode : hr,
                         description.toStdString());
    return result;
}

DISPID dispatchIdOf(IDispatch* object, const QString& name)
{
    if (!object)
        _com_issue_error(E_POINTER);
    std::u16string text(reinterpret_cast<const char16_t*>(name.utf16()), static_cast<size_t>(name.size()));
    LPOLESTR names[] = {text.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    if (FAILED(hr))
        _com_issue_error(hr);
    return id;
}
