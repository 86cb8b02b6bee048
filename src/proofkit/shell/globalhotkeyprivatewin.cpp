#include "globalhotkeyprivatewin.h"

#include "globalhotkeylog.h"
#include "hotkey.h"

namespace {

struct KeyEntry
{
    Qt::Key key;
    quint32 vk;
};

// Keys that no character names.
constexpr KeyEntry keyTable[] = {
    {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Insert, VK_INSERT}, {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_Print, VK_PRINT}, {Qt::Key_Clear, VK_CLEAR}, {Qt::Key_Home, VK_HOME}, {Qt::Key_End, VK_END},
    {Qt::Key_Left, VK_LEFT}, {Qt::Key_Up, VK_UP}, {Qt::Key_Right, VK_RIGHT}, {Qt::Key_Down, VK_DOWN},
    {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL}, {Qt::Key_Menu, VK_APPS},
    {Qt::Key_Help, VK_HELP}, {Qt::Key_Forward, VK_BROWSER_FORWARD}, {Qt::Key_Stop, VK_BROWSER_STOP},
    {Qt::Key_Refresh, VK_BROWSER_REFRESH}, {Qt::Key_VolumeDown, VK_VOLUME_DOWN},
    {Qt::Key_VolumeMute, VK_VOLUME_MUTE}, {Qt::Key_VolumeUp, VK_VOLUME_UP},
    {Qt::Key_MediaPlay, VK_MEDIA_PLAY_PAUSE}, {Qt::Key_MediaStop, VK_MEDIA_STOP},
    {Qt::Key_MediaPrevious, VK_MEDIA_PREV_TRACK}, {Qt::Key_MediaNext, VK_MEDIA_NEXT_TRACK},
    {Qt::Key_HomePage, VK_BROWSER_HOME}, {Qt::Key_Favorites, VK_BROWSER_FAVORITES},
    {Qt::Key_Search, VK_BROWSER_SEARCH}, {Qt::Key_LaunchMail, VK_LAUNCH_MAIL},
    {Qt::Key_LaunchMedia, VK_LAUNCH_MEDIA_SELECT}, {Qt::Key_Launch0, VK_LAUNCH_APP1},
    {Qt::Key_Launch1, VK_LAUNCH_APP2}, {Qt::Key_Touroku, VK_OEM_FJ_TOUROKU}, {Qt::Key_Massyo, VK_OEM_FJ_MASSHOU},
    {Qt::Key_Mode_switch, VK_MODECHANGE}, {Qt::Key_Select, VK_SELECT}, {Qt::Key_Cancel, VK_CANCEL},
    {Qt::Key_Printer, VK_PRINT}, {Qt::Key_Execute, VK_EXECUTE}, {Qt::Key_Sleep, VK_SLEEP},
    {Qt::Key_Play, VK_PLAY}, {Qt::Key_Period, VK_DECIMAL},
};

QString lastErrorText()
{
    LPWSTR text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, GetLastError(), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    const QString result = length ? QString::fromUtf16(text, static_cast<int>(length)).trimmed() : QString();
    LocalFree(text);
    return result;
}

} // namespace

int GlobalHotkeyPrivateWin::hotkeyId(const NativeShortcut& shortcut)
{
    return static_cast<int>((((shortcut.modifier << 8) ^ shortcut.key) & 0x0FFF) | 0x7000);
}

bool GlobalHotkeyPrivateWin::nativeEventFilter(const QByteArray& eventType, void* message, long*)
{
    if (eventType != "windows_generic_MSG")
        return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_HOTKEY)
        activateShortcut(NativeShortcut(HIWORD(static_cast<uintptr_t>(msg->lParam)),
                                        LOWORD(static_cast<uintptr_t>(msg->lParam))));
    return false;
}

quint32 GlobalHotkeyPrivateWin::toVirtualKey(Qt::Key keyCode, bool& ok)
{
    ok = true;
    const auto code = static_cast<quint32>(keyCode);
    if (code <= 0xFFFF) {
        const SHORT scanned = VkKeyScanW(static_cast<WCHAR>(code));
        if (scanned >= 0)
            return static_cast<quint32>(scanned) & 0xFF;
    }
    if (keyCode >= Qt::Key_F1 && keyCode <= Qt::Key_F24)
        return VK_F1 + (code - Qt::Key_F1);
    for (const KeyEntry& entry : keyTable) {
        if (entry.key == keyCode)
            return entry.vk;
    }
    if (code <= 0xFFFF)
        return code & 0xFF;
    ok = false;
    return 0;
}

quint32 GlobalHotkeyPrivateWin::toNativeModifiers(Qt::KeyboardModifiers modifiers, bool& ok)
{
    quint32 result = 0;
    if (modifiers & Qt::ShiftModifier)
        result |= MOD_SHIFT;
    if (modifiers & Qt::ControlModifier)
        result |= MOD_CONTROL;
    if (modifiers & Qt::AltModifier)
        result |= MOD_ALT;
    if (modifiers & Qt::MetaModifier)
        result |= MOD_WIN;
    ok = true;
    return result;
}

bool GlobalHotkeyPrivateWin::registerNative(NativeShortcut shortcut)
{
    if (RegisterHotKey(nullptr, hotkeyId(shortcut), shortcut.modifier, shortcut.key))
        return true;
    qCWarning(logGlobalHotkey).noquote() << "Failed to register hotkey. Error:" << lastErrorText();
    return false;
}

bool GlobalHotkeyPrivateWin::unregisterNative(NativeShortcut shortcut)
{
    const NativeShortcut limited(shortcut.key, shortcut.modifier & 0x0F);
    if (UnregisterHotKey(nullptr, hotkeyId(limited)))
        return true;
    qCWarning(logGlobalHotkey).noquote() << "Failed to unregister hotkey. Error:" << lastErrorText();
    return false;
}
