#pragma once

#include <QKeySequence>
#include <QObject>

#include "proofkit_export.h"

// One chord grabbed desktop-wide; activated() is queued so a press never re-enters the caller.
class PROOFKIT_EXPORT GlobalHotkey : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool registered READ isRegistered NOTIFY registeredChanged)
    Q_PROPERTY(QKeySequence shortcut READ shortcut)
    Q_PROPERTY(Qt::Key keyCode READ keyCode)
    Q_PROPERTY(Qt::KeyboardModifiers modifiers READ modifiers)

public:
    // A chord as the desktop knows it: virtual key and MOD_* flags.
    struct PROOFKIT_EXPORT NativeShortcut
    {
        NativeShortcut() = default;
        NativeShortcut(quint32 key, quint32 modifier) : key(key), modifier(modifier), valid(true) {}
        bool operator==(const NativeShortcut& other) const
        {
            return key == other.key && modifier == other.modifier && valid == other.valid;
        }
        bool operator!=(const NativeShortcut& other) const { return !(*this == other); }

        quint32 key = 0;
        quint32 modifier = 0;
        bool valid = false;
    };

    explicit GlobalHotkey(QObject* parent = nullptr);
    GlobalHotkey(const QKeySequence& shortcut, bool autoRegister, QObject* parent = nullptr);
    GlobalHotkey(Qt::Key keyCode, Qt::KeyboardModifiers modifiers, bool autoRegister, QObject* parent = nullptr);
    GlobalHotkey(NativeShortcut shortcut, bool autoRegister, QObject* parent = nullptr);
    ~GlobalHotkey() override;

    bool isRegistered() const { return registered; }
    QKeySequence shortcut() const;
    Qt::Key keyCode() const { return key; }
    Qt::KeyboardModifiers modifiers() const { return mods; }
    NativeShortcut nativeShortcut() const { return native; }

    bool setRegistered(bool registerIt);
    bool setShortcut(const QKeySequence& shortcut, bool autoRegister = false);
    bool setShortcut(Qt::Key keyCode, Qt::KeyboardModifiers modifiers, bool autoRegister = false);
    bool resetShortcut();
    bool setNativeShortcut(NativeShortcut shortcut, bool autoRegister = false);

    // Overrides the computed translation of a chord for every hot key made afterwards.
    static void addGlobalMapping(const QKeySequence& shortcut, NativeShortcut nativeShortcut);

signals:
    void activated();
    void registeredChanged(bool registered);

private:
    friend class GlobalHotkeyPrivate;

    void clear();

    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    NativeShortcut native;
    bool registered = false;
};

PROOFKIT_EXPORT uint qHash(const GlobalHotkey::NativeShortcut& key, uint seed = 0);

Q_DECLARE_METATYPE(GlobalHotkey::NativeShortcut)
