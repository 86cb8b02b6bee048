#include <QtTest>
#include <csignal>

namespace {
struct Run
{
    int exitCode = -1;
    bool crashed = false;
    QStringList lines;
};

Run runProbe(const QString& scenario)
{
    QProcess probe;
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.start(QStringLiteral(PROOFDESK_PROBE), {scenario});
    Run run;
    if (!probe.waitForFinished(30000)) {
        probe.kill();
        probe.waitForFinished();
        return run;
    }
    run.exitCode = probe.exitCode();
    run.crashed = probe.exitStatus() == QProcess::CrashExit;
    run.lines = QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    return run;
}

// Whether the process handles SIGTERM yet: its start-up got that far.
bool catchesTerm(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    }
    return false;
}
}

class TestProgram : public QObject
{
    Q_OBJECT
private slots:
    void exitCodeIsTheOneGivenToExit();
    void startsWithoutWindowsAndOutlivesThem();
    void trackersAreOfferedInOrder();
    void programEndsCleanlyOnTerminate();
};

void TestProgram::exitCodeIsTheOneGivenToExit()
{
    const Run run = runProbe(QStringLiteral("exit"));
    QVERIFY(!run.crashed);
    QCOMPARE(run.exitCode, 7);
    // The manager was deleted at exit and is not made again.
    QCOMPARE(run.lines, QStringList{QStringLiteral("manager after exit: none")});
}

void TestProgram::startsWithoutWindowsAndOutlivesThem()
{
    const Run run = runProbe(QStringLiteral("windows"));
    QVERIFY(!run.crashed);
    QCOMPARE(run.exitCode, 3);
    QCOMPARE(run.lines.value(0), QStringLiteral("scaling 1"));
    QCOMPARE(run.lines.value(1), QStringLiteral("visible 0"));
    QCOMPARE(run.lines.value(2), QStringLiteral("alive"));
}

void TestProgram::trackersAreOfferedInOrder()
{
    const Run run = runProbe(QStringLiteral("trackers"));
    QVERIFY(!run.crashed);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.lines.value(0), QStringLiteral("taken by UIAClientHelper"));
    QCOMPARE(run.lines.value(1), QStringLiteral("taken by MSAAClientHelper"));
}

void TestProgram::programEndsCleanlyOnTerminate()
{
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(PROOFDESK_PROGRAM), QStringList());
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(catchesTerm(program.processId()), 20000);
    QTest::qWait(300);                       // let the event loop run a while
    program.terminate();
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
