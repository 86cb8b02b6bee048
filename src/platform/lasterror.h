#pragma once

#include "wintypes.h"

// The calling thread's last error code, as the Windows-name calls leave it on failure.
DWORD GetLastError();
void SetLastError(DWORD code);

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_HOTKEY_ALREADY_REGISTERED = 1409;
constexpr DWORD ERROR_HOTKEY_NOT_REGISTERED = 1419;

typedef void* HLOCAL;

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;

// Only the system table is known (our own texts for the codes above). With
// FORMAT_MESSAGE_ALLOCATE_BUFFER, buffer is really an LPWSTR* that receives a block to LocalFree.
// The result is the text's length, 0 when the code has no text.
DWORD FormatMessageW(DWORD flags, const void* source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, void* arguments);
HLOCAL LocalFree(HLOCAL memory);
