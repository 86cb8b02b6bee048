#pragma once

#include "wintypes.h"

constexpr DWORD PROCESS_VM_READ = 0x0010;
constexpr DWORD PROCESS_QUERY_INFORMATION = 0x0400;
constexpr DWORD PROCESS_QUERY_LIMITED_INFORMATION = 0x1000;

// Process handles are counted (sim::openProcessHandles) so a test can prove each one was closed.
HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId);
BOOL CloseHandle(HANDLE handle);
// The path of the process's main module (module null); needs query and read access.
DWORD K32GetModuleFileNameExW(HANDLE process, HMODULE module, LPWSTR buffer, DWORD size);
// *size: the buffer size on entry, the length written on success.
BOOL QueryFullProcessImageNameW(HANDLE process, DWORD flags, LPWSTR buffer, DWORD* size);
