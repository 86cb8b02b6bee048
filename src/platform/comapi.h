#pragma once

#include "unknown.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_ALL = 0x17;

// COM initialisation is counted per thread: the first call on a thread answers S_OK, later ones
// S_FALSE, and each call must be matched by CoUninitialize.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();

// Creates an object of one of the classes the stand-in provides (the UI Automation root); the calling
// thread must have initialised COM.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

// The running-object table: a program registers its application object under its class; a client
// finds the class by program id and asks for the running object. Fails with MK_E_UNAVAILABLE when
// no such object runs, CO_E_CLASSSTRING for an unknown program id.
constexpr HRESULT MK_E_UNAVAILABLE = hresultFromBits(0x800401E3u);
constexpr HRESULT CO_E_CLASSSTRING = hresultFromBits(0x800401F3u);
HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
HRESULT GetActiveObject(REFCLSID clsid, void* reserved, IUnknown** object);
