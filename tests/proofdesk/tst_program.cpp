#include <QtTest>
#include <csignal>

#include "../client/catchesterm.h"

namespace {
struct Run
{
    int exitCode = -1;
    bool crashed = false;
    QStringList lines;
    QByteArray errors;
};

Run runProbe(const QString& scenario)
{
    QProcess probe;
    probe.setProcessChannelMode(QProcess::SeparateChannels);
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
    run.errors = probe.readAllStandardError();
    return run;
}
}

class TestProgram : public QObject
{
    Q_OBJECT
private slots:
    void scenario_data();
    void scenario();
    void programEndsCleanlyOnTerminate();
};

void TestProgram::scenario_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("lines");
    // The manager and the command set were deleted at exit and are not made again.
    QTest::newRow("exit code is the one given to exit")
        << "exit" << 7 << QStringList{"manager after exit: none", "command set after exit: none"};
    // High-DPI scaling set before the application; no window after start-up, none needed to live on.
    QTest::newRow("starts without windows and outlives them") << "windows" << 3
                                                              << QStringList{"scaling 1", "visible 0", "alive"};
    QTest::newRow("tips shown at start") << "tips" << 0 << QStringList{"shown: DialogTip"};
    QTest::newRow("tips ticked off") << "no tips" << 0 << QStringList{"shown: "};
    QTest::newRow("trackers are offered in order")
        << "trackers" << 0
        << QStringList{"taken by WordClientHelper", "taken by UIAClientHelper", "taken by MSAAClientHelper"};
    // The tracker takes its marks out of the document as the program ends.
    QTest::newRow("no mark left after exit")
        << "word-marks" << 0
        << QStringList{"taken by WordClientHelper", "marks before exit: 1", "manager after exit: none",
                       "marks after exit: 0"};
}

void TestProgram::scenario()
{
    QFETCH(QString, name);
    QFETCH(int, exitCode);
    QFETCH(QStringList, lines);
    const Run run = runProbe(name);
    QVERIFY(!run.crashed);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.lines.mid(0, lines.size()), lines);
    // Every hot key was given back before the end.
    QVERIFY2(!run.errors.contains("destroyed with registered shortcuts"), run.errors.constData());
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
