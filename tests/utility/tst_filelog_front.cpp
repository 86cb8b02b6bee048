#include <QtTest>

#include <thread>

#include "filelog/logshow.h"
#include "filelogtesthelpers.h"

namespace {

int threadCount() { return QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(); }

// Everything the main logger wrote so far, in "./log/".
QByteArray mainLog()
{
    QByteArray all;
    for (const QString& file : logFilesBelow("log"))
        all += readWhole("log/" + file);
    return all;
}

} // namespace

// The front end logs through the process-wide engine, so the order of these tests matters:
// the switch is tested before the first call starts the engine.
class TestFilelogFront : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void switchedOffDoesNothing();
    void firstCallsStartTheEngineOnce();
    void logsByType_data();
    void logsByType();

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

void TestFilelogFront::initTestCase()
{
    m_previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TestFilelogFront::cleanupTestCase() { QDir::setCurrent(m_previous); }

void TestFilelogFront::switchedOffDoesNothing()
{
    const int threads = threadCount();
    logEnable(false);
    logShow("tag", LOG_TYPE_ERROR, "dropped");
    logInit(false);
    logEnable(true);
    QCOMPARE(threadCount(), threads);
    QVERIFY(!QDir("log").exists());
}

void TestFilelogFront::firstCallsStartTheEngineOnce()
{
    StdoutCapture capture;
    std::thread first([] { logShow("first", LOG_TYPE_INFO, "from %s", "one"); });
    std::thread second([] { logShow("second", LOG_TYPE_INFO, "from %s", "two"); });
    first.join();
    second.join();

    const QByteArray console = capture.text();
    QVERIFY2(!console.contains("filelog already start"), console.constData());
    const QByteArray log = mainLog();
    QVERIFY(log.contains(" LOG_INFO [first] from one\r\n"));
    QVERIFY(log.contains(" LOG_INFO [second] from two\r\n"));
}

void TestFilelogFront::logsByType_data()
{
    QTest::addColumn<QByteArray>("tag");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("expected");   // pattern after the time and thread

    QTest::newRow("info") << QByteArray("net") << 1 << QByteArray("m 1") << "LOG_INFO \\[net\\] m 1";
    QTest::newRow("error") << QByteArray("net") << 2 << QByteArray("m 2") << "LOG_ERROR \\[net\\] m 2";
    QTest::newRow("debug") << QByteArray("net") << 3 << QByteArray("m 3") << "LOG_DEBUG \\[net\\] m 3";
    QTest::newRow("other type is info") << QByteArray("net") << 9 << QByteArray("m 9") << "LOG_INFO \\[net\\] m 9";
    QTest::newRow("no tag") << QByteArray() << 2 << QByteArray("untagged") << "LOG_ERROR \\[\\] untagged";
    QTest::newRow("long message cut") << QByteArray("big") << 1 << QByteArray(9000, 'm') << "LOG_INFO \\[big\\] m{8000,}";
    // The cut falls at each of a three-byte character's bytes in turn.
    const QByteArray zh = QString(3000, QChar(0x4E2D)).toUtf8();
    for (const char* lead : {"", "a", "ab"}) {
        QTest::newRow(qPrintable(QString("long Chinese message after \"%1\" cut at a whole character").arg(lead)))
            << QByteArray("zh") << 1 << QByteArray(lead) + zh
            << QString("LOG_INFO \\[zh\\] %1\u4E2D{2000,}").arg(lead);
    }
}

void TestFilelogFront::logsByType()
{
    QFETCH(QByteArray, tag);
    QFETCH(int, type);
    QFETCH(QByteArray, message);
    QFETCH(QString, expected);

    StdoutCapture capture;
    const QByteArray before = mainLog();
    logShow(tag.isNull() ? nullptr : tag.constData(), static_cast<_LOG_TYPE_>(type), "%s", message.constData());
    const QByteArray added = mainLog().mid(before.size());

    const QRegularExpression line("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[\\d{4,}\\] " + expected + "\\r\\n$");
    QVERIFY2(line.match(QString::fromUtf8(added)).hasMatch(), added.left(100).constData());
    QVERIFY(added.size() <= 8191);
    QCOMPARE(QString::fromUtf8(added).toUtf8(), added);   // no character cut in half
    if (message.size() > 8192)
        QVERIFY(added.size() >= 8189);
    // Standard output is not a terminal here: the same line, without colour codes.
    QCOMPARE(capture.text(), added);
}

QTEST_GUILESS_MAIN(TestFilelogFront)
#include "tst_filelog_front.moc"
