#include <QtTest>

#include "xgrabber.h"

// The tray program on an X server of this test's own, with no tray running.
class TestProgramX : public QObject
{
    Q_OBJECT
private slots:
    void holdsHotkeysAndFreesThemAtExit();
};

void TestProgramX::holdsHotkeysAndFreesThemAtExit()
{
    {
        QSettings settings("Korrelo", "client");
        settings.clear();
        settings.setValue("ShowTip", false);
        // A stored key replaces the default of its command.
        settings.setValue("hotkey/actionCheckCurrentPage", "Ctrl+Alt+P");
    }
    XGrabber other;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    env.insert("QT_QPA_PLATFORM", "xcb");
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::SeparateChannels);
    program.start(QStringLiteral(PROOFDESK_PROGRAM), QStringList());
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(other.heldElsewhere('w', ctrlShift), 20000);
    QVERIFY(other.heldElsewhere('e', ctrlShift));
    QVERIFY(other.heldElsewhere('p', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    QVERIFY(!other.heldElsewhere('c', ctrlShift));

    QTest::qWait(300);
    program.terminate();
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(QString::fromLocal8Bit(program.readAllStandardError()).contains("No system tray yet"));
    QVERIFY(!other.heldElsewhere('w', ctrlShift));
    QVERIFY(!other.heldElsewhere('e', ctrlShift));
    QVERIFY(!other.heldElsewhere('p', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
}

QTEST_GUILESS_MAIN(TestProgramX)
#include "tst_ownx_program.moc"
