#pragma once

#include "comptr.h"
#include "dispatch.h"

// Object ids of WinEvents and accessible objects.
constexpr LONG OBJID_WINDOW = 0;
constexpr LONG OBJID_SYSMENU = -1;
constexpr LONG OBJID_TITLEBAR = -2;
constexpr LONG OBJID_MENU = -3;
constexpr LONG OBJID_CLIENT = -4;
constexpr LONG OBJID_VSCROLL = -5;
constexpr LONG OBJID_HSCROLL = -6;
constexpr LONG OBJID_SIZEGRIP = -7;
constexpr LONG OBJID_CARET = -8;
constexpr LONG OBJID_CURSOR = -9;
constexpr LONG OBJID_ALERT = -10;
constexpr LONG OBJID_SOUND = -11;
// The window's own automation object (a document pane answers its word-processor Window object).
constexpr LONG OBJID_NATIVEOM = -16;
constexpr LONG CHILDID_SELF = 0;

// Accessible roles.
constexpr LONG ROLE_SYSTEM_WINDOW = 0x09;
constexpr LONG ROLE_SYSTEM_CLIENT = 0x0A;
constexpr LONG ROLE_SYSTEM_DOCUMENT = 0x0F;
constexpr LONG ROLE_SYSTEM_STATICTEXT = 0x29;
constexpr LONG ROLE_SYSTEM_TEXT = 0x2A;
constexpr LONG ROLE_SYSTEM_PUSHBUTTON = 0x2B;

inline constexpr IID IID_IAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// An accessible object; its members are addressed by a child VARIANT ({VT_I4, CHILDID_SELF} for the
// object itself).
struct IAccessible : IDispatch
{
    using Base = IDispatch;
    static const IID& uuid() { return IID_IAccessible; }

    virtual HRESULT get_accRole(VARIANT child, VARIANT* role) = 0;
    virtual HRESULT get_accValue(VARIANT child, BSTR* value) = 0;
    virtual HRESULT accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) = 0;

protected:
    ~IAccessible() = default;
};
using IAccessiblePtr = ComPtr<IAccessible>;

// The accessible object that raised a WinEvent; the child to address it with comes back in *child.
HRESULT AccessibleObjectFromEvent(HWND hwnd, DWORD objectId, DWORD childId, IAccessible** object,
                                  VARIANT* child);
HRESULT AccessibleObjectFromWindow(HWND hwnd, DWORD objectId, REFIID iid, void** object);
