#include <QtTest>

#include "globalhotkey.h"
#include "hotkey.h"

// Chords as the desktop knows them, and registration where there is no X11 display.
class TestGlobalHotkey : public QObject
{
    Q_OBJECT
private slots:
    void nativeChord_data();
    void nativeChord();
    void mappingOverridesTranslation();
    void registrationNeedsDisplay();
};

void TestGlobalHotkey::nativeChord_data()
{
    QTest::addColumn<QKeySequence>("sequence");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<uint>("key");
    QTest::addColumn<uint>("modifier");
    QTest::newRow("letter") << QKeySequence("Ctrl+Shift+W") << true << 0x57u << uint(MOD_CONTROL | MOD_SHIFT);
    QTest::newRow("digit with Alt") << QKeySequence("Alt+7") << true << 0x37u << uint(MOD_ALT);
    QTest::newRow("punctuation of the US layout") << QKeySequence("Alt+;") << true << 0xBAu << uint(MOD_ALT);
    QTest::newRow("shifted character") << QKeySequence(Qt::CTRL | Qt::Key_Exclam) << true << 0x31u
                                       << uint(MOD_CONTROL);
    QTest::newRow("period is the period key") << QKeySequence(Qt::CTRL | Qt::Key_Period) << true << 0xBEu
                                              << uint(MOD_CONTROL);
    QTest::newRow("Meta is the Windows key") << QKeySequence(Qt::META | Qt::Key_F24) << true << 0x87u
                                             << uint(MOD_WIN);
    QTest::newRow("escape") << QKeySequence(Qt::CTRL | Qt::Key_Escape) << true << 0x1Bu << uint(MOD_CONTROL);
    QTest::newRow("backtab is tab") << QKeySequence(Qt::CTRL | Qt::Key_Backtab) << true << 0x09u
                                    << uint(MOD_CONTROL);
    QTest::newRow("page down") << QKeySequence(Qt::CTRL | Qt::Key_PageDown) << true << 0x22u << uint(MOD_CONTROL);
    QTest::newRow("media play") << QKeySequence(Qt::CTRL | Qt::Key_MediaPlay) << true << 0xB3u
                                << uint(MOD_CONTROL);
    QTest::newRow("second launch key") << QKeySequence(Qt::ALT | Qt::Key_Launch1) << true << 0xB7u << uint(MOD_ALT);
    QTest::newRow("character without key: its low byte") << QKeySequence(Qt::CTRL | Qt::Key_Eacute) << true
                                                         << 0xC9u << uint(MOD_CONTROL);
    QTest::newRow("browser back has none") << QKeySequence(Qt::CTRL | Qt::Key_Back) << false << 0u << 0u;
}

void TestGlobalHotkey::nativeChord()
{
    QFETCH(QKeySequence, sequence);
    QFETCH(bool, valid);
    QFETCH(uint, key);
    QFETCH(uint, modifier);
    if (!valid)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Unable to map shortcut to native keys"));
    GlobalHotkey hotkey;
    QCOMPARE(hotkey.setShortcut(sequence, false), valid);
    QVERIFY(!hotkey.isRegistered());
    QCOMPARE(hotkey.nativeShortcut().valid, valid);
    QCOMPARE(hotkey.nativeShortcut().key, key);
    QCOMPARE(hotkey.nativeShortcut().modifier, modifier);
    QCOMPARE(hotkey.shortcut(), valid ? QKeySequence(sequence[0]) : QKeySequence());
}

void TestGlobalHotkey::mappingOverridesTranslation()
{
    GlobalHotkey::addGlobalMapping(QKeySequence("Ctrl+Alt+H"), GlobalHotkey::NativeShortcut(0x99, MOD_WIN));
    QCoreApplication::processEvents();
    GlobalHotkey hotkey(QKeySequence("Ctrl+Alt+H"), false);
    QCOMPARE(hotkey.nativeShortcut(), GlobalHotkey::NativeShortcut(0x99, MOD_WIN));
    GlobalHotkey other(QKeySequence("Ctrl+H"), false);
    QCOMPARE(other.nativeShortcut(), GlobalHotkey::NativeShortcut(0x48, MOD_CONTROL));
}

void TestGlobalHotkey::registrationNeedsDisplay()
{
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Failed to register hotkey. Error: Global hot keys need an X11 display"));
    GlobalHotkey hotkey(QKeySequence("Ctrl+Shift+W"), true);
    QVERIFY(!hotkey.isRegistered());
    QCOMPARE(registeredHotKeyCount(), 0);
    // The chord is kept, so registering can be tried again.
    QCOMPARE(hotkey.nativeShortcut(), GlobalHotkey::NativeShortcut(0x57, MOD_CONTROL | MOD_SHIFT));
    QVERIFY(hotkey.setRegistered(false));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Failed to register hotkey"));
    QVERIFY(!hotkey.setRegistered(true));
}

QTEST_MAIN(TestGlobalHotkey)
#include "tst_globalhotkey.moc"
