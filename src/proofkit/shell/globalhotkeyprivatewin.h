#pragma once

#include "globalhotkeyprivate.h"

// The back end on the desktop's hot-key calls: chords become virtual keys and MOD_* flags,
// registered without a window; presses arrive as WM_HOTKEY messages through the native filter.
class GlobalHotkeyPrivateWin : public GlobalHotkeyPrivate
{
    Q_OBJECT
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;

    // The desktop's identifier of a chord.
    static int hotkeyId(const NativeShortcut& shortcut);

protected:
    quint32 toVirtualKey(Qt::Key keyCode, bool& ok) override;
    quint32 toNativeModifiers(Qt::KeyboardModifiers modifiers, bool& ok) override;
    bool registerNative(NativeShortcut shortcut) override;
    bool unregisterNative(NativeShortcut shortcut) override;
};
