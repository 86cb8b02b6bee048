#pragma once

// The Windows names the system's code is written against, declared here for Linux. Sizes follow the
// 32-bit Windows data model where callers depend on them (LONG and DWORD are 32 bits); handles are
// pointers, so they hash and order like the numbers they stand for.

#include <cstddef>
#include <cstdint>

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int64_t LONGLONG;
typedef unsigned int UINT;
typedef int INT;
typedef uintptr_t UINT_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef int32_t HRESULT;

// Wide text on Windows is UTF-16; wchar_t is 32 bits on Linux, so the wide names use char16_t.
typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef WCHAR OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

// Handle types are pointers to distinct never-used structs, complete so that templates (Qt's signal
// argument checks among them) can inspect them.
typedef void* HANDLE;
struct HWND__ { int unused; };
typedef HWND__* HWND;
struct HINSTANCE__ { int unused; };
typedef HINSTANCE__* HMODULE;
struct HWINEVENTHOOK__ { int unused; };
typedef HWINEVENTHOOK__* HWINEVENTHOOK;
typedef void (*FARPROC)();

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#define CALLBACK
#define WINAPI
#define MAX_PATH 260

struct RECT
{
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

struct POINT
{
    LONG x = 0;
    LONG y = 0;
};

// HRESULT values are the documented bit patterns, so codes carried in logs read the same everywhere.
constexpr HRESULT hresultFromBits(uint32_t bits) { return static_cast<HRESULT>(bits); }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = hresultFromBits(0x80004001u);
constexpr HRESULT E_NOINTERFACE = hresultFromBits(0x80004002u);
constexpr HRESULT E_POINTER = hresultFromBits(0x80004003u);
constexpr HRESULT E_FAIL = hresultFromBits(0x80004005u);
constexpr HRESULT E_INVALIDARG = hresultFromBits(0x80070057u);
constexpr HRESULT E_OUTOFMEMORY = hresultFromBits(0x8007000Eu);
constexpr HRESULT REGDB_E_CLASSNOTREG = hresultFromBits(0x80040154u);
constexpr HRESULT CO_E_NOTINITIALIZED = hresultFromBits(0x800401F0u);
constexpr HRESULT RPC_E_DISCONNECTED = hresultFromBits(0x80010108u);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Identifies this process and the calling thread (the real ids of the Linux process and thread).
DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();
