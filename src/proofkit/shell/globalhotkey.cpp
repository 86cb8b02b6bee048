#include "globalhotkey.h"

#include <QHash>

#include "globalhotkeylog.h"
#include "globalhotkeyprivate.h"

uint qHash(const GlobalHotkey::NativeShortcut& key, uint seed)
{
    return qHash(key.key, seed) ^ qHash(key.modifier, seed);
}

GlobalHotkey::GlobalHotkey(QObject* parent) : QObject(parent) {}

GlobalHotkey::GlobalHotkey(const QKeySequence& shortcut, bool autoRegister, QObject* parent) : QObject(parent)
{
    setShortcut(shortcut, autoRegister);
}

GlobalHotkey::GlobalHotkey(Qt::Key keyCode, Qt::KeyboardModifiers modifiers, bool autoRegister, QObject* parent)
    : QObject(parent)
{
    setShortcut(keyCode, modifiers, autoRegister);
}

GlobalHotkey::GlobalHotkey(NativeShortcut shortcut, bool autoRegister, QObject* parent) : QObject(parent)
{
    setNativeShortcut(shortcut, autoRegister);
}

GlobalHotkey::~GlobalHotkey()
{
    if (registered) {
        if (GlobalHotkeyPrivate* backEnd = GlobalHotkeyPrivate::instance())
            backEnd->removeShortcut(this);
    }
}

QKeySequence GlobalHotkey::shortcut() const
{
    if (key == Qt::Key_unknown)
        return QKeySequence();
    return QKeySequence(static_cast<int>(key) | static_cast<int>(mods));
}

bool GlobalHotkey::setRegistered(bool registerIt)
{
    GlobalHotkeyPrivate* backEnd = GlobalHotkeyPrivate::instance();
    if (registered && !registerIt)
        return backEnd && backEnd->removeShortcut(this);
    if (!registered && registerIt)
        return native.valid && backEnd && backEnd->addShortcut(this);
    return true;
}

bool GlobalHotkey::setShortcut(const QKeySequence& shortcut, bool autoRegister)
{
    if (shortcut.isEmpty())
        return resetShortcut();
    if (shortcut.count() > 1)
        qCWarning(logGlobalHotkey)
            << "Keysequences with multiple shortcuts are not allowed! Only the first shortcut will be used!";
    const int chord = shortcut[0];
    return setShortcut(static_cast<Qt::Key>(chord & ~Qt::KeyboardModifierMask),
                       static_cast<Qt::KeyboardModifiers>(chord & Qt::KeyboardModifierMask), autoRegister);
}

bool GlobalHotkey::setShortcut(Qt::Key keyCode, Qt::KeyboardModifiers modifiers, bool autoRegister)
{
    if (registered) {
        if (!autoRegister || !setRegistered(false))
            return false;
    }
    if (keyCode == Qt::Key_unknown) {
        clear();
        return true;
    }
    key = keyCode;
    mods = modifiers;
    GlobalHotkeyPrivate* backEnd = GlobalHotkeyPrivate::instance();
    native = backEnd ? backEnd->nativeShortcut(keyCode, modifiers) : NativeShortcut();
    if (native.valid)
        return autoRegister ? setRegistered(true) : true;
    qCWarning(logGlobalHotkey) << "Unable to map shortcut to native keys. Key:" << keyCode
                               << "Modifiers:" << modifiers;
    clear();
    return false;
}

bool GlobalHotkey::resetShortcut()
{
    if (registered && !setRegistered(false))
        return false;
    clear();
    return true;
}

bool GlobalHotkey::setNativeShortcut(NativeShortcut shortcut, bool autoRegister)
{
    if (registered) {
        if (!autoRegister || !setRegistered(false))
            return false;
    }
    if (!shortcut.valid) {
        clear();
        return true;
    }
    key = Qt::Key_unknown;
    mods = Qt::NoModifier;
    native = shortcut;
    return autoRegister ? setRegistered(true) : true;
}

void GlobalHotkey::addGlobalMapping(const QKeySequence& shortcut, NativeShortcut nativeShortcut)
{
    GlobalHotkeyPrivate* backEnd = GlobalHotkeyPrivate::instance();
    if (!backEnd || shortcut.isEmpty())
        return;
    const int chord = shortcut[0];
    QMetaObject::invokeMethod(backEnd, "addMappingInvoked", Qt::QueuedConnection,
                              Q_ARG(Qt::Key, static_cast<Qt::Key>(chord & ~Qt::KeyboardModifierMask)),
                              Q_ARG(Qt::KeyboardModifiers,
                                    static_cast<Qt::KeyboardModifiers>(chord & Qt::KeyboardModifierMask)),
                              Q_ARG(GlobalHotkey::NativeShortcut, nativeShortcut));
}

void GlobalHotkey::clear()
{
    key = Qt::Key_unknown;
    mods = Qt::NoModifier;
    native = NativeShortcut();
}
