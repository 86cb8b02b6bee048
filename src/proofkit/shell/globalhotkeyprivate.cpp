#include "globalhotkeyprivate.h"

#include <QCoreApplication>
#include <QThread>

#include "globalhotkeylog.h"
#include "globalhotkeyprivatewin.h"

namespace {
bool backEndDestroyed = false;
}

GlobalHotkeyPrivate* GlobalHotkeyPrivate::instance()
{
    // Function-local, so it is made on first use and outlives the application.
    static GlobalHotkeyPrivateWin backEnd;
    return backEndDestroyed ? nullptr : &backEnd;
}

GlobalHotkeyPrivate::GlobalHotkeyPrivate()
{
    qRegisterMetaType<Qt::Key>("Qt::Key");
    qRegisterMetaType<Qt::KeyboardModifiers>("Qt::KeyboardModifiers");
    qRegisterMetaType<GlobalHotkey::NativeShortcut>("GlobalHotkey::NativeShortcut");
    qRegisterMetaType<GlobalHotkey*>("GlobalHotkey*");
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installNativeEventFilter(this);
}

GlobalHotkeyPrivate::~GlobalHotkeyPrivate()
{
    backEndDestroyed = true;
    if (!shortcuts.isEmpty())
        qCWarning(logGlobalHotkey) << "GlobalHotkeyPrivate destroyed with registered shortcuts!";
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeNativeEventFilter(this);
}

Qt::ConnectionType GlobalHotkeyPrivate::callType() const
{
    return QThread::currentThread() == thread() ? Qt::DirectConnection : Qt::BlockingQueuedConnection;
}

GlobalHotkey::NativeShortcut GlobalHotkeyPrivate::nativeShortcut(Qt::Key keyCode, Qt::KeyboardModifiers modifiers)
{
    NativeShortcut result;
    if (!QMetaObject::invokeMethod(this, "nativeShortcutInvoked", callType(),
                                   Q_RETURN_ARG(GlobalHotkey::NativeShortcut, result), Q_ARG(Qt::Key, keyCode),
                                   Q_ARG(Qt::KeyboardModifiers, modifiers)))
        return NativeShortcut();
    return result;
}

bool GlobalHotkeyPrivate::addShortcut(GlobalHotkey* hotkey)
{
    return !hotkey->registered && changeRegistration("addShortcutInvoked", hotkey, true);
}

bool GlobalHotkeyPrivate::removeShortcut(GlobalHotkey* hotkey)
{
    return hotkey->registered && changeRegistration("removeShortcutInvoked", hotkey, false);
}

bool GlobalHotkeyPrivate::changeRegistration(const char* method, GlobalHotkey* hotkey, bool registeredAfter)
{
    bool ok = false;
    QMetaObject::invokeMethod(this, method, callType(), Q_RETURN_ARG(bool, ok), Q_ARG(GlobalHotkey*, hotkey));
    if (ok)
        emit hotkey->registeredChanged(registeredAfter);
    return ok;
}

void GlobalHotkeyPrivate::activateShortcut(NativeShortcut shortcut)
{
    const QList<GlobalHotkey*> hotkeys = shortcuts.values(shortcut);
    for (GlobalHotkey* hotkey : hotkeys)
        QMetaObject::invokeMethod(hotkey, "activated", Qt::QueuedConnection);
}

GlobalHotkey::NativeShortcut GlobalHotkeyPrivate::nativeShortcutInvoked(Qt::Key keyCode,
                                                                        Qt::KeyboardModifiers modifiers)
{
    const auto mapped = mapping.constFind(qMakePair(static_cast<int>(keyCode), static_cast<int>(modifiers)));
    if (mapped != mapping.constEnd())
        return *mapped;
    bool keyOk = false;
    bool modifiersOk = false;
    const quint32 key = toVirtualKey(keyCode, keyOk);
    const quint32 modifier = toNativeModifiers(modifiers, modifiersOk);
    if (keyOk && modifiersOk)
        return NativeShortcut(key, modifier);
    return NativeShortcut();
}

bool GlobalHotkeyPrivate::addShortcutInvoked(GlobalHotkey* hotkey)
{
    const NativeShortcut shortcut = hotkey->native;
    if (!shortcuts.contains(shortcut) && !registerNative(shortcut))
        return false;
    shortcuts.insert(shortcut, hotkey);
    hotkey->registered = true;
    return true;
}

bool GlobalHotkeyPrivate::removeShortcutInvoked(GlobalHotkey* hotkey)
{
    const NativeShortcut shortcut = hotkey->native;
    if (shortcuts.remove(shortcut, hotkey) == 0)
        return false;
    hotkey->registered = false;
    if (!shortcuts.contains(shortcut))
        return unregisterNative(shortcut);
    return true;
}

void GlobalHotkeyPrivate::addMappingInvoked(Qt::Key keyCode, Qt::KeyboardModifiers modifiers,
                                            GlobalHotkey::NativeShortcut shortcut)
{
    mapping.insert(qMakePair(static_cast<int>(keyCode), static_cast<int>(modifiers)), shortcut);
}
