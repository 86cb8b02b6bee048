#include <QtTest>

#include "../client/catchesterm.h"

class TestWriterProgram : public QObject
{
    Q_OBJECT
private slots:
    void closingTheWindowEndsTheProgram_data();
    void closingTheWindowEndsTheProgram();
    void terminateWithNothingUnsavedExitsCleanly();
};

void TestWriterProgram::closingTheWindowEndsTheProgram_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::newRow("speak panel never opened") << "plain";
    QTest::newRow("speak panel open") << "speak";
}

void TestWriterProgram::closingTheWindowEndsTheProgram()
{
    QFETCH(QString, scenario);
    QProcess probe;
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.start(QStringLiteral(WRITER_PROBE), {scenario});
    QVERIFY(probe.waitForFinished(30000));
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(probe.readAllStandardOutput()).trimmed(), QStringLiteral("returned 0"));
}

void TestWriterProgram::terminateWithNothingUnsavedExitsCleanly()
{
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(WRITER_PROGRAM), QStringList());
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(catchesTerm(program.processId()), 20000);
    program.terminate();
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestWriterProgram)
#include "tst_writerprogram.moc"
