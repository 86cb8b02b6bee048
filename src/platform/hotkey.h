#pragma once

#include "lasterror.h"
#include "winevent.h"
#include "wintypes.h"

typedef int16_t SHORT;

// System-wide hot keys. On X11 a chord is grabbed on the root window; a press comes back as a
// WM_HOTKEY message handed to the application's native event filters as "windows_generic_MSG", on
// the GUI thread. Without X11 (offscreen, Wayland) registration fails with ERROR_NOT_SUPPORTED.
constexpr UINT WM_HOTKEY = 0x0312;

constexpr UINT MOD_ALT = 0x0001;
constexpr UINT MOD_CONTROL = 0x0002;
constexpr UINT MOD_SHIFT = 0x0004;
constexpr UINT MOD_WIN = 0x0008;

// Only a null window is supported: the message goes to the application's filters.
BOOL RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk);
BOOL UnregisterHotKey(HWND hwnd, int id);

// The virtual key (low byte) and shift state (high byte: 1 Shift) of a character on the US layout;
// -1 when no key gives it.
SHORT VkKeyScanW(WCHAR ch);

constexpr WORD LOWORD(uintptr_t value) { return static_cast<WORD>(value & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(WORD low, WORD high)
{
    return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

// Virtual keys the hot keys use.
constexpr UINT VK_CANCEL = 0x03;
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_CLEAR = 0x0C;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_PAUSE = 0x13;
constexpr UINT VK_CAPITAL = 0x14;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_MODECHANGE = 0x1F;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_SELECT = 0x29;
constexpr UINT VK_PRINT = 0x2A;
constexpr UINT VK_EXECUTE = 0x2B;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_HELP = 0x2F;
constexpr UINT VK_APPS = 0x5D;
constexpr UINT VK_SLEEP = 0x5F;
constexpr UINT VK_DECIMAL = 0x6E;
constexpr UINT VK_F1 = 0x70;
constexpr UINT VK_F24 = 0x87;
constexpr UINT VK_NUMLOCK = 0x90;
constexpr UINT VK_SCROLL = 0x91;
constexpr UINT VK_OEM_FJ_MASSHOU = 0x93;
constexpr UINT VK_OEM_FJ_TOUROKU = 0x94;
constexpr UINT VK_BROWSER_FORWARD = 0xA7;
constexpr UINT VK_BROWSER_REFRESH = 0xA8;
constexpr UINT VK_BROWSER_STOP = 0xA9;
constexpr UINT VK_BROWSER_SEARCH = 0xAA;
constexpr UINT VK_BROWSER_FAVORITES = 0xAB;
constexpr UINT VK_BROWSER_HOME = 0xAC;
constexpr UINT VK_VOLUME_MUTE = 0xAD;
constexpr UINT VK_VOLUME_DOWN = 0xAE;
constexpr UINT VK_VOLUME_UP = 0xAF;
constexpr UINT VK_MEDIA_NEXT_TRACK = 0xB0;
constexpr UINT VK_MEDIA_PREV_TRACK = 0xB1;
constexpr UINT VK_MEDIA_STOP = 0xB2;
constexpr UINT VK_MEDIA_PLAY_PAUSE = 0xB3;
constexpr UINT VK_LAUNCH_MAIL = 0xB4;
constexpr UINT VK_LAUNCH_MEDIA_SELECT = 0xB5;
constexpr UINT VK_LAUNCH_APP1 = 0xB6;
constexpr UINT VK_LAUNCH_APP2 = 0xB7;
constexpr UINT VK_OEM_1 = 0xBA;
constexpr UINT VK_OEM_PLUS = 0xBB;
constexpr UINT VK_OEM_COMMA = 0xBC;
constexpr UINT VK_OEM_MINUS = 0xBD;
constexpr UINT VK_OEM_PERIOD = 0xBE;
constexpr UINT VK_OEM_2 = 0xBF;
constexpr UINT VK_OEM_3 = 0xC0;
constexpr UINT VK_OEM_4 = 0xDB;
constexpr UINT VK_OEM_5 = 0xDC;
constexpr UINT VK_OEM_6 = 0xDD;
constexpr UINT VK_OEM_7 = 0xDE;
constexpr UINT VK_PLAY = 0xFA;

// Chords held on the display by this process (each registered hot key counts once).
int registeredHotKeyCount();

// The filter that sees every X event of the program and turns grabbed presses into WM_HOTKEY
// messages; exposed so its cost per event can be measured.
class QAbstractNativeEventFilter;
QAbstractNativeEventFilter* hotKeyEventFilter();
