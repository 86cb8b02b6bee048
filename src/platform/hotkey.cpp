#include "hotkey.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QX11Info>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace {

constexpr uint8_t badAccess = 10;

// Keysyms of the US layout for the keys a hot key can name.
constexpr uint32_t XK_BackSpace = 0xff08, XK_Tab = 0xff09, XK_Clear = 0xff0b, XK_Return = 0xff0d,
                   XK_Pause = 0xff13, XK_Scroll_Lock = 0xff14, XK_Escape = 0xff1b, XK_Touroku = 0xff2b,
                   XK_Massyo = 0xff2c, XK_Home = 0xff50, XK_Left = 0xff51, XK_Up = 0xff52,
                   XK_Right = 0xff53, XK_Down = 0xff54, XK_Prior = 0xff55, XK_Next = 0xff56,
                   XK_End = 0xff57, XK_Select = 0xff60, XK_Print = 0xff61, XK_Execute = 0xff62,
                   XK_Insert = 0xff63, XK_Menu = 0xff67, XK_Cancel = 0xff69, XK_Help = 0xff6a,
                   XK_Mode_switch = 0xff7e, XK_Num_Lock = 0xff7f, XK_KP_Decimal = 0xffae, XK_F1 = 0xffbe,
                   XK_Caps_Lock = 0xffe5, XK_Alt_L = 0xffe9, XK_Alt_R = 0xffea, XK_Super_L = 0xffeb,
                   XK_Super_R = 0xffec, XK_Delete = 0xffff;
constexpr uint32_t XF86_VolumeDown = 0x1008ff11, XF86_Mute = 0x1008ff12, XF86_VolumeUp = 0x1008ff13,
                   XF86_Play = 0x1008ff14, XF86_Stop = 0x1008ff15, XF86_Prev = 0x1008ff16,
                   XF86_Next = 0x1008ff17, XF86_HomePage = 0x1008ff18, XF86_Mail = 0x1008ff19,
                   XF86_Search = 0x1008ff1b, XF86_Forward = 0x1008ff27, XF86_BrowserStop = 0x1008ff28,
                   XF86_Refresh = 0x1008ff29, XF86_Sleep = 0x1008ff2f, XF86_Favorites = 0x1008ff30,
                   XF86_Media = 0x1008ff32, XF86_Launch0 = 0x1008ff40, XF86_Launch1 = 0x1008ff41;

struct VkSym
{
    UINT vk;
    uint32_t keysym;
};

constexpr VkSym specialKeys[] = {
    {VK_CANCEL, XK_Cancel}, {VK_BACK, XK_BackSpace}, {VK_TAB, XK_Tab}, {VK_CLEAR, XK_Clear},
    {VK_RETURN, XK_Return}, {VK_PAUSE, XK_Pause}, {VK_CAPITAL, XK_Caps_Lock}, {VK_ESCAPE, XK_Escape},
    {VK_MODECHANGE, XK_Mode_switch}, {VK_SPACE, 0x20}, {VK_PRIOR, XK_Prior}, {VK_NEXT, XK_Next},
    {VK_END, XK_End}, {VK_HOME, XK_Home}, {VK_LEFT, XK_Left}, {VK_UP, XK_Up}, {VK_RIGHT, XK_Right},
    {VK_DOWN, XK_Down}, {VK_SELECT, XK_Select}, {VK_PRINT, XK_Print}, {VK_EXECUTE, XK_Execute},
    {VK_INSERT, XK_Insert}, {VK_DELETE, XK_Delete}, {VK_HELP, XK_Help}, {VK_APPS, XK_Menu},
    {VK_SLEEP, XF86_Sleep}, {VK_DECIMAL, XK_KP_Decimal}, {VK_NUMLOCK, XK_Num_Lock}, {VK_SCROLL, XK_Scroll_Lock},
    {VK_OEM_FJ_MASSHOU, XK_Massyo}, {VK_OEM_FJ_TOUROKU, XK_Touroku}, {VK_BROWSER_FORWARD, XF86_Forward},
    {VK_BROWSER_REFRESH, XF86_Refresh}, {VK_BROWSER_STOP, XF86_BrowserStop}, {VK_BROWSER_SEARCH, XF86_Search},
    {VK_BROWSER_FAVORITES, XF86_Favorites}, {VK_BROWSER_HOME, XF86_HomePage}, {VK_VOLUME_MUTE, XF86_Mute},
    {VK_VOLUME_DOWN, XF86_VolumeDown}, {VK_VOLUME_UP, XF86_VolumeUp}, {VK_MEDIA_NEXT_TRACK, XF86_Next},
    {VK_MEDIA_PREV_TRACK, XF86_Prev}, {VK_MEDIA_STOP, XF86_Stop}, {VK_MEDIA_PLAY_PAUSE, XF86_Play},
    {VK_LAUNCH_MAIL, XF86_Mail}, {VK_LAUNCH_MEDIA_SELECT, XF86_Media}, {VK_LAUNCH_APP1, XF86_Launch0},
    {VK_LAUNCH_APP2, XF86_Launch1}, {VK_PLAY, XF86_Play},
    {VK_OEM_1, ';'}, {VK_OEM_PLUS, '='}, {VK_OEM_COMMA, ','}, {VK_OEM_MINUS, '-'}, {VK_OEM_PERIOD, '.'},
    {VK_OEM_2, '/'}, {VK_OEM_3, '`'}, {VK_OEM_4, '['}, {VK_OEM_5, '\\'}, {VK_OEM_6, ']'}, {VK_OEM_7, '\''},
};

// Characters of the US layout that need Shift, with the key that gives them.
constexpr VkSym shiftedCharacters[] = {
    {'1', '!'}, {'2', '@'}, {'3', '#'}, {'4', '$'}, {'5', '%'}, {'6', '^'}, {'7', '&'}, {'8', '*'},
    {'9', '('}, {'0', ')'}, {VK_OEM_1, ':'}, {VK_OEM_PLUS, '+'}, {VK_OEM_COMMA, '<'}, {VK_OEM_MINUS, '_'},
    {VK_OEM_PERIOD, '>'}, {VK_OEM_2, '?'}, {VK_OEM_3, '~'}, {VK_OEM_4, '{'}, {VK_OEM_5, '|'},
    {VK_OEM_6, '}'}, {VK_OEM_7, '"'},
};

uint32_t keysymOf(UINT vk)
{
    if ((vk >= 'A' && vk <= 'Z'))
        return vk - 'A' + 'a';
    if (vk >= '0' && vk <= '9')
        return vk;
    if (vk >= VK_F1 && vk <= VK_F24)
        return XK_F1 + (vk - VK_F1);
    for (const VkSym& entry : specialKeys) {
        if (entry.vk == vk)
            return entry.keysym;
    }
    return 0;
}

struct Grab
{
    UINT modifiers = 0;
    UINT vk = 0;
    xcb_keycode_t keycode = 0;
    uint16_t mask = 0;
};

// The modifier bits the server gives Alt, Super and NumLock.
struct ModifierMasks
{
    uint16_t alt = XCB_MOD_MASK_1;
    uint16_t super = XCB_MOD_MASK_4;
    uint16_t numLock = XCB_MOD_MASK_2;
};

class HotKeyBackEnd : public QAbstractNativeEventFilter
{
public:
    BOOL add(int id, UINT modifiers, UINT vk)
    {
        if (!QGuiApplication::instance() || !QX11Info::isPlatformX11() || !QX11Info::connection()) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        if (grabs.count(id)) {
            SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
            return FALSE;
        }
        xcb_connection_t* connection = QX11Info::connection();
        const ModifierMasks masks = readMasks(connection);
        Grab grab{modifiers, vk, keycodeOf(connection, keysymOf(vk)), xMask(modifiers, masks)};
        if (!grab.keycode) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const DWORD error = grabAll(connection, grab, masks);
        if (error != ERROR_SUCCESS) {
            SetLastError(error);
            return FALSE;
        }
        lockMasks = masks;
        grabs[id] = grab;
        installFilter();
        return TRUE;
    }

    BOOL remove(int id)
    {
        auto it = grabs.find(id);
        if (it == grabs.end()) {
            SetLastError(ERROR_HOTKEY_NOT_REGISTERED);
            return FALSE;
        }
        const Grab grab = it->second;
        grabs.erase(it);
        // The grabs went with the application's connection.
        if (!QCoreApplication::instance() || !QX11Info::isPlatformX11() || !QX11Info::connection())
            return TRUE;
        ungrabAll(QX11Info::connection(), grab, lockMasks);
        xcb_flush(QX11Info::connection());
        return TRUE;
    }

    int count() const { return static_cast<int>(grabs.size()); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, long*) override
    {
        if (grabs.empty() || eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
            return false;
        const auto* press = static_cast<const xcb_key_press_event_t*>(message);
        const uint16_t relevant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | lockMasks.alt | lockMasks.super;
        const uint16_t state = press->state & relevant;
        for (const auto& [id, grab] : grabs) {
            if (grab.keycode == press->detail && grab.mask == state) {
                // The press is the user's input to this program: a window it opens may take the
                // focus on its time stamp.
                QX11Info::setAppUserTime(press->time);
                QX11Info::setAppTime(press->time);
                deliver(id, grab);
                break;
            }
        }
        return false;
    }

private:
    static ModifierMasks readMasks(xcb_connection_t* connection)
    {
        ModifierMasks masks;
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
        if (!symbols)
            return masks;
        auto codesOf = [symbols](uint32_t keysym) {
            std::vector<xcb_keycode_t> codes;
            if (xcb_keycode_t* found = xcb_key_symbols_get_keycode(symbols, keysym)) {
                for (xcb_keycode_t* code = found; *code != XCB_NO_SYMBOL; ++code)
                    codes.push_back(*code);
                std::free(found);
            }
            return codes;
        };
        const auto alt = codesOf(XK_Alt_L), altRight = codesOf(XK_Alt_R);
        const auto super = codesOf(XK_Super_L), superRight = codesOf(XK_Super_R);
        const auto numLock = codesOf(XK_Num_Lock);
        xcb_key_symbols_free(symbols);

        xcb_get_modifier_mapping_reply_t* reply =
            xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr);
        if (!reply)
            return masks;
        const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply);
        const int perModifier = reply->keycodes_per_modifier;
        auto holds = [](const std::vector<xcb_keycode_t>& codes, xcb_keycode_t code) {
            return code && std::find(codes.begin(), codes.end(), code) != codes.end();
        };
        // Mod1 to Mod5 are rows 3 to 7 of the map.
        for (int row = 3; row < 8; ++row) {
            const uint16_t bit = static_cast<uint16_t>(1u << row);
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t code = map[row * perModifier + i];
                if (holds(alt, code) || holds(altRight, code))
                    masks.alt = bit;
                if (holds(super, code) || holds(superRight, code))
                    masks.super = bit;
                if (holds(numLock, code))
                    masks.numLock = bit;
            }
        }
        std::free(reply);
        return masks;
    }

    static xcb_keycode_t keycodeOf(xcb_connection_t* connection, uint32_t keysym)
    {
        if (!keysym)
            return 0;
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
        if (!symbols)
            return 0;
        xcb_keycode_t result = 0;
        if (xcb_keycode_t* found = xcb_key_symbols_get_keycode(symbols, keysym)) {
            result = found[0] == XCB_NO_SYMBOL ? 0 : found[0];
            std::free(found);
        }
        xcb_key_symbols_free(symbols);
        return result;
    }

    static uint16_t xMask(UINT modifiers, const ModifierMasks& masks)
    {
        uint16_t mask = 0;
        if (modifiers & MOD_SHIFT)
            mask |= XCB_MOD_MASK_SHIFT;
        if (modifiers & MOD_CONTROL)
            mask |= XCB_MOD_MASK_CONTROL;
        if (modifiers & MOD_ALT)
            mask |= masks.alt;
        if (modifiers & MOD_WIN)
            mask |= masks.super;
        return mask;
    }

    // The chord alone and with CapsLock, NumLock and both, so the lock keys never hide it.
    static std::vector<uint16_t> variants(const Grab& grab, const ModifierMasks& masks)
    {
        const uint16_t caps = XCB_MOD_MASK_LOCK;
        return {grab.mask, static_cast<uint16_t>(grab.mask | caps), static_cast<uint16_t>(grab.mask | masks.numLock),
                static_cast<uint16_t>(grab.mask | caps | masks.numLock)};
    }

    static DWORD grabAll(xcb_connection_t* connection, const Grab& grab, const ModifierMasks& masks)
    {
        const xcb_window_t root = QX11Info::appRootWindow();
        std::vector<xcb_void_cookie_t> cookies;
        for (uint16_t mask : variants(grab, masks))
            cookies.push_back(xcb_grab_key_checked(connection, 0, root, mask, grab.keycode, XCB_GRAB_MODE_ASYNC,
                                                   XCB_GRAB_MODE_ASYNC));
        DWORD result = ERROR_SUCCESS;
        for (xcb_void_cookie_t cookie : cookies) {
            if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
                if (result == ERROR_SUCCESS)
                    result = error->error_code == badAccess ? ERROR_HOTKEY_ALREADY_REGISTERED : ERROR_INVALID_PARAMETER;
                std::free(error);
            }
        }
        if (result != ERROR_SUCCESS) {
            // Ungrabbing touches only this client's grabs, so the other holder keeps its own.
            ungrabAll(connection, grab, masks);
            xcb_flush(connection);
        }
        return result;
    }

    static void ungrabAll(xcb_connection_t* connection, const Grab& grab, const ModifierMasks& masks)
    {
        const xcb_window_t root = QX11Info::appRootWindow();
        for (uint16_t mask : variants(grab, masks))
            xcb_ungrab_key(connection, grab.keycode, root, mask);
    }

    void installFilter()
    {
        QCoreApplication* app = QCoreApplication::instance();
        if (installedOn == app)
            return;
        app->installNativeEventFilter(this);
        installedOn = app;
    }

    static void deliver(int id, const Grab& grab)
    {
        MSG msg;
        msg.message = WM_HOTKEY;
        msg.wParam = static_cast<WPARAM>(id);
        msg.lParam = MAKELPARAM(static_cast<WORD>(grab.modifiers), static_cast<WORD>(grab.vk));
        long result = 0;
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
            dispatcher->filterNativeEvent(QByteArrayLiteral("windows_generic_MSG"), &msg, &result);
    }

    std::map<int, Grab> grabs;
    ModifierMasks lockMasks;
    QPointer<QCoreApplication> installedOn;
};

// Outlives the application, so late unregistrations find it and return without touching X.
HotKeyBackEnd& backEnd()
{
    static HotKeyBackEnd instance;
    return instance;
}

} // namespace

BOOL RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk)
{
    if (hwnd) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return backEnd().add(id, modifiers & (MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN), vk);
}

BOOL UnregisterHotKey(HWND hwnd, int id)
{
    if (hwnd) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return backEnd().remove(id);
}

SHORT VkKeyScanW(WCHAR ch)
{
    if (ch >= 'a' && ch <= 'z')
        return static_cast<SHORT>(ch - 'a' + 'A');
    if (ch >= 'A' && ch <= 'Z')
        return static_cast<SHORT>(0x100 | ch);
    if (ch >= '0' && ch <= '9')
        return static_cast<SHORT>(ch);
    switch (ch) {
    case ' ':
        return VK_SPACE;
    case '\t':
        return VK_TAB;
    case '\r':
        return VK_RETURN;
    case '\b':
        return VK_BACK;
    case 0x1b:
        return VK_ESCAPE;
    default:
        break;
    }
    for (const VkSym& entry : specialKeys) {
        if (entry.vk >= VK_OEM_1 && entry.keysym == ch)
            return static_cast<SHORT>(entry.vk);
    }
    for (const VkSym& entry : shiftedCharacters) {
        if (entry.keysym == ch)
            return static_cast<SHORT>(0x100 | entry.vk);
    }
    return -1;
}

int registeredHotKeyCount()
{
    return backEnd().count();
}

QAbstractNativeEventFilter* hotKeyEventFilter()
{
    return &backEnd();
}
