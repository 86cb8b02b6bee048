#pragma once

#include <exception>
#include <string>
#include <utility>

#include "wintypes.h"

// A failed COM call raised as an exception (a null smart pointer used, a failed creation, a
// late-bound call the server refused). The description is what the server said, UTF-8, often empty.
class _com_error : public std::exception
{
public:
    explicit _com_error(HRESULT hr, std::string description = {}) : hr(hr), text(std::move(description)) {}
    HRESULT Error() const { return hr; }
    const std::string& Description() const { return text; }
    const char* what() const noexcept override { return "COM error"; }

private:
    HRESULT hr;
    std::string text;
};

[[noreturn]] inline void _com_issue_error(HRESULT hr) { throw _com_error(hr); }
