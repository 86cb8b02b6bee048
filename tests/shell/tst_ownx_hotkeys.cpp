#include <QAction>
#include <QApplication>
#include <QKeySequenceEdit>
#include <QTabWidget>
#include <QtTest>

#include "actions.h"
#include "clientfixture.h"
#include "config.h"
#include "dialogsetting.h"
#include "globalhotkey.h"
#include "hotkey.h"
#include "keysequenceedit.h"
#include "settingkeys.h"
#include "shellfixture.h"
#include "writerhook.h"
#include "xgrabber.h"

namespace {
const QRegularExpression takenWarning(QStringLiteral("Failed to register hotkey. Error: Hot key is already registered"));
// A press goes through xdotool, the server and our event loop; a loaded machine can take seconds.
constexpr int pressMs = 20000;
}

// Global hot keys on an X server of this test's own, pressed through xdotool.
class TestHotkeysX : public QObject, public ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void pressGivesOneActivation_data();
    void pressGivesOneActivation();
    void chordHeldByAnotherClient();
    void oneChordSharedByTwoHotkeys();
    void sameIdTwiceRefused();
    void sequences_data();
    void sequences();
    void defaultsHeldAtStart();
    void hotkeySetIsLiveStoredAndReadBack();
    void takenHotkeyIsRefused();
    void enableEditorKeyTogglesLikeMenu();
    void settingsMarkTakenChord();
    void unusableKeyNeverGrabbed_data();
    void unusableKeyNeverGrabbed();

private:
    XGrabber other;
    QStringList log;
    RecordingTracker tracker;
};

void TestHotkeysX::initTestCase()
{
    QVERIFY(QGuiApplication::platformName() == QLatin1String("xcb"));
    QVERIFY(other.setKeyRepeat(false));
    QVERIFY(startClient());
    QSettings("Korrelo", "client").clear();
    setWriterFunction([this](const QString& text) { log << "writer: " + text; });
}

void TestHotkeysX::init()
{
    log.clear();
    boxes.boxes.clear();
}

void TestHotkeysX::cleanupTestCase()
{
    setWriterFunction(nullptr);
    stopClient();
}

void TestHotkeysX::pressGivesOneActivation_data()
{
    QTest::addColumn<QString>("lock");
    QTest::newRow("no lock") << "";
    QTest::newRow("NumLock on") << "Num_Lock";
    QTest::newRow("CapsLock on") << "Caps_Lock";
}

void TestHotkeysX::pressGivesOneActivation()
{
    QFETCH(QString, lock);
    GlobalHotkey hotkey(QKeySequence(QStringLiteral("Ctrl+Alt+J")), true);
    QVERIFY(hotkey.isRegistered());
    QSignalSpy activated(&hotkey, &GlobalHotkey::activated);
    if (!lock.isEmpty())
        QVERIFY(pressKeys(lock));
    QVERIFY(pressKeys(QStringLiteral("ctrl+alt+j")));
    if (!lock.isEmpty())
        QVERIFY(pressKeys(lock));
    QTRY_COMPARE_WITH_TIMEOUT(activated.count(), 1, pressMs);
    QTest::qWait(200);
    QCOMPARE(activated.count(), 1);
    // Another chord on the same key is not this one.
    QVERIFY(pressKeys(QStringLiteral("ctrl+j")));
    QTest::qWait(200);
    QCOMPARE(activated.count(), 1);
}

void TestHotkeysX::chordHeldByAnotherClient()
{
    const int before = registeredHotKeyCount();
    QVERIFY(other.grab('q', ctrlShift));
    QTest::ignoreMessage(QtWarningMsg, takenWarning);
    {
        GlobalHotkey refused(QKeySequence(QStringLiteral("Ctrl+Shift+Q")), true);
        QVERIFY(!refused.isRegistered());
        QCOMPARE(registeredHotKeyCount(), before);
    }
    other.ungrab('q', ctrlShift);

    // Held here, the other client cannot have it; once deleted here, it can.
    auto* held = new GlobalHotkey(QKeySequence(QStringLiteral("Ctrl+Shift+Q")), true);
    QVERIFY(held->isRegistered());
    QVERIFY(!other.grab('q', ctrlShift));
    delete held;
    QCOMPARE(registeredHotKeyCount(), before);
    QVERIFY(other.grab('q', ctrlShift));
    other.ungrab('q', ctrlShift);
}

void TestHotkeysX::oneChordSharedByTwoHotkeys()
{
    const int before = registeredHotKeyCount();
    auto* first = new GlobalHotkey(QKeySequence(QStringLiteral("Ctrl+Alt+K")), true);
    auto* second = new GlobalHotkey(QKeySequence(QStringLiteral("Ctrl+Alt+K")), true);
    QVERIFY(first->isRegistered() && second->isRegistered());
    QCOMPARE(registeredHotKeyCount(), before + 1);
    delete first;
    QCOMPARE(registeredHotKeyCount(), before + 1);
    QSignalSpy activated(second, &GlobalHotkey::activated);
    QVERIFY(pressKeys(QStringLiteral("ctrl+alt+k")));
    QTRY_COMPARE_WITH_TIMEOUT(activated.count(), 1, pressMs);
    delete second;
    QCOMPARE(registeredHotKeyCount(), before);
}

void TestHotkeysX::sameIdTwiceRefused()
{
    const int before = registeredHotKeyCount();
    QVERIFY(RegisterHotKey(nullptr, 0x7001, MOD_CONTROL | MOD_ALT, 'Z'));
    QCOMPARE(RegisterHotKey(nullptr, 0x7001, MOD_CONTROL | MOD_ALT, 'X'), FALSE);
    QCOMPARE(GetLastError(), DWORD(ERROR_HOTKEY_ALREADY_REGISTERED));
    // The refused call grabbed nothing: the other chord is still free.
    QVERIFY(!other.heldElsewhere('x', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    QVERIFY(other.heldElsewhere('z', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_LOCK));
    QCOMPARE(registeredHotKeyCount(), before + 1);
    QVERIFY(UnregisterHotKey(nullptr, 0x7001));
    QVERIFY(!other.heldElsewhere('z', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_LOCK));
    QCOMPARE(UnregisterHotKey(nullptr, 0x7001), FALSE);
    QCOMPARE(GetLastError(), DWORD(ERROR_HOTKEY_NOT_REGISTERED));
}

void TestHotkeysX::sequences_data()
{
    QTest::addColumn<QString>("sequence");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("warning");
    QTest::newRow("empty resets") << "" << true << "" << "";
    QTest::newRow("two chords: the first only") << "Ctrl+Alt+L, Ctrl+X" << true << "Ctrl+Alt+L"
                                                << "Keysequences with multiple shortcuts are not allowed";
    QTest::newRow("function key") << "Ctrl+F7" << true << "Ctrl+F7" << "";
    QTest::newRow("browser back has no key") << "Ctrl+Back" << false << ""
                                             << "Unable to map shortcut to native keys";
}

void TestHotkeysX::sequences()
{
    QFETCH(QString, sequence);
    QFETCH(bool, result);
    QFETCH(QString, shortcut);
    QFETCH(QString, warning);
    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
    GlobalHotkey hotkey;
    QCOMPARE(hotkey.setShortcut(QKeySequence(sequence), true), result);
    QCOMPARE(hotkey.isRegistered(), !shortcut.isEmpty());
    QCOMPARE(hotkey.shortcut().toString(), shortcut);
    // Resetting succeeds whether or not anything was registered.
    QVERIFY(hotkey.resetShortcut());
    QVERIFY(!hotkey.isRegistered());
}

void TestHotkeysX::defaultsHeldAtStart()
{
    Actions* actions = getActions();
    QCOMPARE(actions->actionShowWriter->shortcut().toString(), QStringLiteral("Ctrl+Shift+W"));
    QCOMPARE(actions->actionCheckCurrentPage->shortcut().toString(), QStringLiteral("Ctrl+Shift+C"));
    QCOMPARE(actions->actionEnableThisEditor->shortcut().toString(), QStringLiteral("Ctrl+Shift+E"));
    // Held on the server: another client cannot take them.
    for (char letter : {'w', 'c', 'e'})
        QVERIFY(!other.grab(letter, ctrlShift));
    QVERIFY(pressKeys(QStringLiteral("ctrl+shift+w")));
    QTRY_COMPARE_WITH_TIMEOUT(log, QStringList{"writer: "}, pressMs);
}

void TestHotkeysX::hotkeySetIsLiveStoredAndReadBack()
{
    Actions* actions = getActions();
    QVERIFY(actions->setHotkey(QStringLiteral("actionShowWriter"), QStringLiteral("Ctrl+Alt+M")));
    QCOMPARE(GetConfig()->getValueString("actionShowWriter", QString(), SettingKeys::GroupHotkey),
             QStringLiteral("Ctrl+Alt+M"));
    QCOMPARE(actions->actionShowWriter->shortcut().toString(), QStringLiteral("Ctrl+Alt+M"));
    QVERIFY(pressKeys(QStringLiteral("ctrl+alt+m")));
    QTRY_COMPARE_WITH_TIMEOUT(log, QStringList{"writer: "}, pressMs);
    // The old default is free again.
    QVERIFY(other.grab('w', ctrlShift));
    other.ungrab('w', ctrlShift);

    // A start of the command set reads the stored key instead of the default.
    Actions restarted;
    QCOMPARE(restarted.actionShowWriter->shortcut().toString(), QStringLiteral("Ctrl+Alt+M"));

    // Cleared twice: no hot key, no shortcut text, an empty key stored.
    for (int run = 0; run < 2; ++run) {
        QVERIFY(actions->setHotkey(QStringLiteral("actionShowWriter"), QString()));
        QVERIFY(actions->actionShowWriter->shortcut().isEmpty());
        QCOMPARE(GetConfig()->getValue("actionShowWriter", QVariant(), SettingKeys::GroupHotkey), QVariant(""));
    }
    QVERIFY(restarted.setHotkey(QStringLiteral("actionShowWriter"), QString()));
    log.clear();
    // A bound chord pressed after it shows when the server's events up to then have been handled.
    GlobalHotkey marker(QKeySequence(QStringLiteral("Ctrl+Alt+J")), true);
    QSignalSpy markerPressed(&marker, &GlobalHotkey::activated);
    QVERIFY(pressKeys(QStringLiteral("ctrl+alt+m")));
    QVERIFY(pressKeys(QStringLiteral("ctrl+alt+j")));
    QTRY_COMPARE_WITH_TIMEOUT(markerPressed.count(), 1, pressMs);
    QVERIFY(log.isEmpty());
    QVERIFY(actions->setHotkey(QStringLiteral("actionShowWriter"), QStringLiteral("Ctrl+Shift+W")));
}

void TestHotkeysX::takenHotkeyIsRefused()
{
    Actions* actions = getActions();
    QVERIFY(other.grab('y', ctrlShift));
    QTest::ignoreMessage(QtWarningMsg, takenWarning);
    QVERIFY(!actions->setHotkey(QStringLiteral("actionShowDictTip"), QStringLiteral("Ctrl+Shift+Y")));
    QVERIFY(actions->actionShowDictTip->shortcut().isEmpty());
    QVERIFY(!GetConfig()->getValue("actionShowDictTip", QVariant(), SettingKeys::GroupHotkey).isValid());
    other.ungrab('y', ctrlShift);
}

void TestHotkeysX::enableEditorKeyTogglesLikeMenu()
{
    Actions* actions = getActions();
    activateEditor(&tracker, createEditor(QRect(100, 100, 600, 400)));
    QVERIFY(getEditorManager()->isEditorEnable(nullptr));
    QVERIFY(pressKeys(QStringLiteral("ctrl+shift+e")));
    QTRY_VERIFY_WITH_TIMEOUT(!getEditorManager()->isEditorEnable(nullptr), pressMs);
    actions->updateActions();
    QVERIFY(!actions->actionEnableThisEditor->isChecked());
    actions->actionEnableThisEditor->trigger();
    QVERIFY(getEditorManager()->isEditorEnable(nullptr));
    QVERIFY(pressKeys(QStringLiteral("ctrl+shift+e")));
    QTRY_VERIFY_WITH_TIMEOUT(!getEditorManager()->isEditorEnable(nullptr), pressMs);
    QVERIFY(pressKeys(QStringLiteral("ctrl+shift+e")));
    QTRY_VERIFY_WITH_TIMEOUT(getEditorManager()->isEditorEnable(nullptr), pressMs);
}

void TestHotkeysX::settingsMarkTakenChord()
{
    QVERIFY(other.grab('u', ctrlShift));
    DialogSetting dialog;
    auto* tabs = dialog.findChild<QTabWidget*>("tabWidget");
    tabs->setCurrentIndex(2);
    auto* dictTip = dialog.findChild<KeySequenceEdit*>("actionShowDictTip");
    auto* errorTip = dialog.findChild<KeySequenceEdit*>("actionShowErrorTip");
    QVERIFY(dictTip && errorTip);
    dictTip->setKeySequence(QKeySequence(QStringLiteral("Ctrl+Shift+U")));
    errorTip->setKeySequence(QKeySequence(QStringLiteral("Ctrl+Alt+N")));
    dialog.show();
    QTest::ignoreMessage(QtWarningMsg, takenWarning);
    QMetaObject::invokeMethod(&dialog, "on_btnOK_clicked");
    // The taken row is red and in front, the dialog stays; the other row was applied all the same.
    QVERIFY(dialog.isVisible());
    QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("tabHotkey"));
    QVERIFY(dictTip->styleSheet().contains("red"));
    QVERIFY(!errorTip->styleSheet().contains("red"));
    QCOMPARE(getActions()->actionShowErrorTip->shortcut().toString(), QStringLiteral("Ctrl+Alt+N"));
    QVERIFY(getActions()->actionShowDictTip->shortcut().isEmpty());

    other.ungrab('u', ctrlShift);
    QMetaObject::invokeMethod(&dialog, "on_btnOK_clicked");
    QVERIFY(!dialog.isVisible());
    QVERIFY(!dictTip->styleSheet().contains("red"));
    QCOMPARE(getActions()->actionShowDictTip->shortcut().toString(), QStringLiteral("Ctrl+Shift+U"));
}

void TestHotkeysX::unusableKeyNeverGrabbed_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<uint16_t>("firstChordMask");
    QTest::addColumn<bool>("typedInSettings");
    for (bool typed : {true, false}) {
        const char* road = typed ? "OK at once after typing" : "stored before a start";
        QTest::addRow("letter alone, %s", road) << "A" << uint16_t(0) << typed;
        QTest::addRow("Shift and a letter, %s", road) << "Shift+A" << uint16_t(XCB_MOD_MASK_SHIFT) << typed;
        QTest::addRow("two chords, %s", road) << "Ctrl+A, Ctrl+B" << uint16_t(XCB_MOD_MASK_CONTROL) << typed;
    }
}

void TestHotkeysX::unusableKeyNeverGrabbed()
{
    QFETCH(QString, keys);
    QFETCH(uint16_t, firstChordMask);
    QFETCH(bool, typedInSettings);
    Actions* actions = getActions();
    QAction* action = actions->actionShowDictTip;
    const QKeySequence held = action->shortcut();
    const QVariant stored = GetConfig()->getValue(action->objectName(), QVariant(), SettingKeys::GroupHotkey);
    if (typedInSettings) {
        DialogSetting dialog;
        dialog.show();
        auto* field = dialog.findChild<KeySequenceEdit*>("actionShowDictTip");
        auto* inner = field->findChild<QKeySequenceEdit*>();
        const QKeySequence sequence(keys);
        for (int i = 0; i < sequence.count(); ++i) {
            QTest::keyClick(inner, Qt::Key(sequence[i] & ~Qt::KeyboardModifierMask),
                            Qt::KeyboardModifiers(sequence[i] & Qt::KeyboardModifierMask));
        }
        // Well within the editor's pause after the last key.
        QMetaObject::invokeMethod(&dialog, "on_btnOK_clicked");
        QVERIFY(dialog.isVisible());
        QVERIFY(field->styleSheet().contains("red"));
        QCOMPARE(dialog.findChild<QTabWidget*>("tabWidget")->currentWidget()->objectName(),
                 QStringLiteral("tabHotkey"));
        QCOMPARE(action->shortcut(), held);
        QCOMPARE(GetConfig()->getValue(action->objectName(), QVariant(), SettingKeys::GroupHotkey), stored);
    } else {
        GetConfig()->setValueString(action->objectName(), keys, SettingKeys::GroupHotkey);
        Actions restarted;
        QVERIFY(restarted.actionShowDictTip->shortcut().isEmpty());
        QVERIFY(!other.heldElsewhere('a', firstChordMask));
        if (stored.isValid())
            GetConfig()->setValue(action->objectName(), stored, SettingKeys::GroupHotkey);
        else
            QSettings("Korrelo", "client").remove("hotkey/actionShowDictTip");
    }
    QVERIFY(!other.heldElsewhere('a', firstChordMask));
}

int main(int argc, char** argv)
{
    // Grabs need the X server, whatever platform the suite runs with.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestHotkeysX test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ownx_hotkeys.moc"
