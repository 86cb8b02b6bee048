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
    // The line comes once the keys are grabbed and a termination is handled. Probing earlier would
    // race the program for the chords: a probe's brief grab makes the program's own grab fail.
    QByteArray errors;
    QTRY_VERIFY_WITH_TIMEOUT((errors += program.readAllStandardError()).contains("No system tray yet"), 60000);
    QVERIFY2(other.heldElsewhere('w', ctrlShift), errors.constData());
    QVERIFY2(other.heldElsewhere('e', ctrlShift), errors.constData());
    QVERIFY2(other.heldElsewhere('p', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1), errors.constData());
    QVERIFY2(!other.heldElsewhere('c', ctrlShift), errors.constData());

    program.terminate();
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    errors += program.readAllStandardError();
    QVERIFY2(!errors.contains("destroyed with registered shortcuts"), errors.constData());
    QVERIFY(!other.heldElsewhere('w', ctrlShift));
    QVERIFY(!other.heldElsewhere('e', ctrlShift));
    QVERIFY(!other.heldElsewhere('p', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
}

QTEST_GUILESS_MAIN(TestProgramX)
#include "tst_ownx_program.moc"
