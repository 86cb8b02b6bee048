#pragma once

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QMultiHash>
#include <QObject>
#include <QPair>

#include "globalhotkey.h"
#include "proofkit_export.h"

// The table of registered chords behind every GlobalHotkey. Several hot keys may share one chord,
// which is registered with the desktop once. All table work runs on the back end's thread; callers
// on other threads wait for it there. A platform supplies the four translation and registration steps.
class PROOFKIT_EXPORT GlobalHotkeyPrivate : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    using NativeShortcut = GlobalHotkey::NativeShortcut;

    GlobalHotkeyPrivate();
    ~GlobalHotkeyPrivate() override;

    // The process-wide back end; null once it has been destroyed at exit.
    static GlobalHotkeyPrivate* instance();

    NativeShortcut nativeShortcut(Qt::Key keyCode, Qt::KeyboardModifiers modifiers);
    bool addShortcut(GlobalHotkey* hotkey);
    bool removeShortcut(GlobalHotkey* hotkey);
    // Every hot key of the chord emits activated(), queued.
    void activateShortcut(NativeShortcut shortcut);

protected:
    virtual quint32 toVirtualKey(Qt::Key keyCode, bool& ok) = 0;
    virtual quint32 toNativeModifiers(Qt::KeyboardModifiers modifiers, bool& ok) = 0;
    virtual bool registerNative(NativeShortcut shortcut) = 0;
    virtual bool unregisterNative(NativeShortcut shortcut) = 0;

    bool hasShortcuts() const { return !shortcuts.isEmpty(); }

private:
    Q_INVOKABLE GlobalHotkey::NativeShortcut nativeShortcutInvoked(Qt::Key keyCode, Qt::KeyboardModifiers modifiers);
    Q_INVOKABLE bool addShortcutInvoked(GlobalHotkey* hotkey);
    Q_INVOKABLE bool removeShortcutInvoked(GlobalHotkey* hotkey);
    Q_INVOKABLE void addMappingInvoked(Qt::Key keyCode, Qt::KeyboardModifiers modifiers,
                                       GlobalHotkey::NativeShortcut shortcut);

    // Direct on the back end's thread, blocking queued from any other.
    Qt::ConnectionType callType() const;
    // Runs the add or remove on the back end's thread and tells the hot key when it worked.
    bool changeRegistration(const char* method, GlobalHotkey* hotkey, bool registeredAfter);

    QHash<QPair<int, int>, NativeShortcut> mapping;
    QMultiHash<NativeShortcut, GlobalHotkey*> shortcuts;
};
