#pragma once

#include "wintypes.h"

// Libraries loaded at run time. "X.dll" is looked for as libX.so beside the program first, then on the
// library path; a name with a folder is loaded as it stands.
HMODULE LoadLibraryW(LPCWSTR name);
FARPROC GetProcAddress(HMODULE module, const char* name);
BOOL FreeLibrary(HMODULE module);
// The file of a loaded library, or of the program for a null module.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
