#include <QtTest>

// The demonstration program as scripts/run --demo starts it, ended the way Ctrl+C ends it.
class TestDemoProgram : public QObject
{
    Q_OBJECT
private slots:
    void endsCleanlyWithItsWindowsOpen();
};

void TestDemoProgram::endsCleanlyWithItsWindowsOpen()
{
    QTemporaryDir home;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(PROOFDESK_DEMO), QStringList());
    QVERIFY(program.waitForStarted());
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += program.readAllStandardError()).contains("simulated word processor is open"), 60000);
    program.terminate();
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestDemoProgram)
#include "tst_program.moc"
