#include <QAction>
#include <QApplication>
#include <QtTest>

#include "actions.h"
#include "../client/catchesterm.h"
#include "config.h"
#include "dialogsetting.h"
#include "keysequenceedit.h"
#include "settingkeys.h"
#include "xgrabber.h"

namespace {
bool anyDefaultHeld(XGrabber& other)
{
    return other.heldElsewhere('w', ctrlShift) || other.heldElsewhere('c', ctrlShift)
        || other.heldElsewhere('e', ctrlShift);
}
}

// The Writer program leaves the desktop-wide hot keys to the tray program, on an X server of this
// test's own.
class TestWriterHotkeysX : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void programLeavesDefaultsFree();
    void settingsStillKeepTheKeys();

private:
    XGrabber other;
};

void TestWriterHotkeysX::initTestCase()
{
    QVERIFY(QGuiApplication::platformName() == QLatin1String("xcb"));
    QSettings("Korrelo", "client").clear();
}

void TestWriterHotkeysX::programLeavesDefaultsFree()
{
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(WRITER_PROGRAM), QStringList());
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(catchesTerm(program.processId()), 30000);
    const bool held = anyDefaultHeld(other);
    program.terminate();
    QVERIFY(program.waitForFinished(30000));
    QVERIFY(!held);
}

void TestWriterHotkeysX::settingsStillKeepTheKeys()
{
    setDesktopHotkeysHeld(false);
    Actions* actions = getActions();
    QVERIFY(!anyDefaultHeld(other));
    // The dialog shows what the tray program holds, and a changed row is kept for its next start.
    DialogSetting dialog;
    dialog.show();
    auto* writerField = dialog.findChild<KeySequenceEdit*>("actionShowWriter");
    QCOMPARE(writerField->keySequence(), QKeySequence("Ctrl+Shift+W"));
    dialog.findChild<KeySequenceEdit*>("actionShowDictTip")->setKeySequence(QKeySequence("Ctrl+Alt+D"));
    QMetaObject::invokeMethod(&dialog, "on_btnOK_clicked");
    QVERIFY(!dialog.isVisible());
    QCOMPARE(GetConfig()->getValueString("actionShowDictTip", QString(), SettingKeys::GroupHotkey),
             QStringLiteral("Ctrl+Alt+D"));
    QVERIFY(!other.heldElsewhere('d', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    QVERIFY(!GetConfig()->getValue("actionShowWriter", QVariant(), SettingKeys::GroupHotkey).isValid());
    // The menus keep working.
    const bool tipShown = GetConfig()->getValueBool(SettingKeys::ShowDictTip, true);
    actions->actionShowDictTip->trigger();
    QCOMPARE(GetConfig()->getValueBool(SettingKeys::ShowDictTip, true), !tipShown);
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestWriterHotkeysX test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ownx_writerhotkeys.moc"
