#pragma once

#include <exception>

#include "wintypes.h"

// A failed COM call raised as an exception (a null smart pointer used, a failed creation).
class _com_error : public std::exception
{
public:
    explicit _com_error(HRESULT hr) : hr(hr) {}
    HRESULT Error() const { return hr; }
    const char* what() const noexcept override { return "COM error"; }

private:
    HRESULT hr;
};

[[noreturn]] inline void _com_issue_error(HRESULT hr) { throw _com_error(hr); }
