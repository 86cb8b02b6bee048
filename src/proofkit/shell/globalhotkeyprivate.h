#pragma once

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QMultiHash>
#include <QObject>
#include <QPair>

#include "globalhotkey.h"
#include "proofkit_export.h"

// Shared chord table behind GlobalHotkey: a chord used by several hot keys is grabbed once. The
// table lives on one thread and other threads block on it, so grabs never race. A platform supplies the four translation and registration steps.
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
    // Hops to the table's thread for the change and reports success back to the hot key.
    bool changeRegistration(const char* method, GlobalHotkey* hotkey, bool registeredAfter);

    QHash<QPair<int, int>, NativeShortcut> mapping;
    QMultiHash<NativeShortcut, GlobalHotkey*> shortcuts;
};
