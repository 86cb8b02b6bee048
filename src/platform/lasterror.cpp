#include "lasterror.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;

const char16_t* messageText(DWORD code)
{
    switch (code) {
    case ERROR_SUCCESS:
        return u"The operation completed successfully.\r\n";
    case ERROR_NOT_SUPPORTED:
        return u"Global hot keys need an X11 display.\r\n";
    case ERROR_INVALID_PARAMETER:
        return u"The key has no key code on this display.\r\n";
    case ERROR_HOTKEY_ALREADY_REGISTERED:
        return u"Hot key is already registered.\r\n";
    case ERROR_HOTKEY_NOT_REGISTERED:
        return u"Hot key is not registered.\r\n";
    default:
        return nullptr;
    }
}
}

DWORD GetLastError()
{
    return lastError;
}

void SetLastError(DWORD code)
{
    lastError = code;
}

DWORD FormatMessageW(DWORD flags, const void*, DWORD messageId, DWORD, LPWSTR buffer, DWORD size, void*)
{
    const char16_t* text = (flags & FORMAT_MESSAGE_FROM_SYSTEM) ? messageText(messageId) : nullptr;
    if (!text || !buffer)
        return 0;
    const std::u16string message(text);
    const size_t bytes = (message.size() + 1) * sizeof(WCHAR);
    if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
        auto* block = static_cast<WCHAR*>(std::malloc(bytes));
        if (!block)
            return 0;
        std::memcpy(block, message.c_str(), bytes);
        *reinterpret_cast<LPWSTR*>(buffer) = block;
        return static_cast<DWORD>(message.size());
    }
    if (size <= message.size())
        return 0;
    std::memcpy(buffer, message.c_str(), bytes);
    return static_cast<DWORD>(message.size());
}

HLOCAL LocalFree(HLOCAL memory)
{
    std::free(memory);
    return nullptr;
}
