#include <QtTest>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "filelog/logermanager.h"
#include "filelogtesthelpers.h"

using filelog::LogerManager;

namespace {

const char* const CET = "CET-1CEST,M3.5.0,M10.5.0/3";

void setZone(const char* zone)
{
    qputenv("TZ", zone);
    tzset();
}

// "<program>_<logger>_<stamp>_<pid>_<index>.log", stamp and index given as "stamp_index".
QString fileName(const QString& logger, const QString& stampAndIndex)
{
    return QString("%1_%2_%3_%4_%5.log")
        .arg(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(), logger,
             stampAndIndex.section('_', 0, 0), QString::asprintf("%06lld", QCoreApplication::applicationPid()),
             stampAndIndex.section('_', 1, 1));
}

// A manager logging into a temporary folder on a clock the test sets.
class Engine
{
public:
    explicit Engine(const QString& folder)
        : m_folder(folder)
    {
        manager.setClock([this] { return m_now.load(); });
        manager.setLoggerPath(0, QString(folder + "/main").toUtf8().constData());
        manager.setLoggerDisplay(0, false);
        id = manager.createLogger("net");
        manager.setLoggerName(id, "netname");
        manager.setLoggerPath(id, QString(folder + "/logs").toUtf8().constData());
        manager.setLoggerDisplay(id, false);
    }

    bool start(bool synchronous)
    {
        manager.setSynchronous(synchronous);
        return manager.start();
    }
    void setTime(const QString& iso) { m_now = QDateTime::fromString(iso + 'Z', Qt::ISODateWithMs).toMSecsSinceEpoch(); }

    bool log(int level, const QByteArray& text, const char* file = nullptr, int line = 0)
    {
        if (!manager.acceptsLog(id, level))
            return false;
        filelog::LogRecord* record = manager.allocRecord(id, level);
        const int count = std::min(filelog::LOG_RECORD_TEXT_SIZE - 1 - record->length, int(text.size()));
        std::memcpy(record->text + record->length, text.constData(), count);
        record->length += count;
        record->text[record->length] = '\0';
        return manager.submitRecord(record, file, line);
    }

    QStringList files() const { return logFilesBelow(m_folder + "/logs"); }
    QByteArray content(const QString& file) const { return readWhole(m_folder + "/logs/" + file); }

    LogerManager manager;
    int id = -1;

private:
    QString m_folder;
    std::atomic<qint64> m_now{0};
};

} // namespace

class TestFilelogFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void writesRecordLines_data();
    void writesRecordLines();
    void rollsFiles_data();
    void rollsFiles();
    void writesQueuedRecordsFromManyThreads();
    void appliesChangesBetweenQueuedRecords();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFilelogFiles::init()
{
    setZone("UTC0");
    m_dir.reset(new QTemporaryDir);
}

void TestFilelogFiles::writesRecordLines_data()
{
    QTest::addColumn<bool>("synchronous");
    QTest::addColumn<int>("level");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("stamp");
    // Pattern of the one record after the time prefix; the source position is switched on where it is expected.
    QTest::addColumn<QString>("expected");

    QTest::newRow("synchronous named by hour") << true << 2 << QByteArray("hello") << "2019081513"
                                               << "LOG_INFO hello\\r\\n";
    QTest::newRow("queued named by minute") << false << 3 << QByteArray("hello") << "201908151345"
                                            << "LOG_WARN hello\\r\\n";
    QTest::newRow("source file and line") << true << 4 << QByteArray("hello") << "2019081513"
                                          << "LOG_ERROR hello x\\.cpp:42\\r\\n";
    QTest::newRow("long message cut before CR LF") << true << 5 << QByteArray(10000, 'x') << "2019081513"
                                                   << "LOG_ALARM x+\\r\\n";
}

void TestFilelogFiles::writesRecordLines()
{
    QFETCH(bool, synchronous);
    QFETCH(int, level);
    QFETCH(QByteArray, message);
    QFETCH(QString, stamp);
    QFETCH(QString, expected);

    Engine engine(m_dir->path());
    engine.manager.setLoggerFileLine(engine.id, expected.contains("cpp"));
    engine.setTime("2019-08-15T13:45:30.123");
    QVERIFY(!engine.log(level, message));   // refused before start
    QVERIFY(engine.start(synchronous));
    QVERIFY(engine.log(level, message, "/src/filelog\\x.cpp", 42));
    QVERIFY(engine.manager.stop());

    QCOMPARE(engine.files(), QStringList{fileName("netname", stamp + "_000")});
    const QByteArray content = engine.content(engine.files().first());
    QCOMPARE(recordsOf(content).size(), 1);
    const QRegularExpression line("^2019-08-15 13:45:30\\.123 \\[(\\d{4,})\\] " + expected + "$",
                                  QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(content));
    QVERIFY2(match.hasMatch(), content.left(200).constData());
    QCOMPARE(match.captured(1).toInt(), int(gettid()));
    QVERIFY(content.size() <= filelog::LOG_RECORD_TEXT_SIZE - 1);
    if (message.size() > filelog::LOG_RECORD_TEXT_SIZE)
        QCOMPARE(content.size(), filelog::LOG_RECORD_TEXT_SIZE - 1);
}

void TestFilelogFiles::rollsFiles_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("reserve");
    QTest::addColumn<QStringList>("times");      // UTC, one record each
    QTest::addColumn<QStringList>("expected");   // "[month folder/]stamp_index" of each file left
    QTest::addColumn<QStringList>("prefixes");   // start of each file's first record, when given
    auto row = [](const char* name, int limit, const QStringList& times, const QStringList& expected,
                  const QStringList& prefixes = {}, const char* zone = "UTC0", int size = 10, int reserve = 0) {
        QTest::newRow(name) << QByteArray(zone) << limit << size << reserve << times << expected << prefixes;
    };
    const QStringList three(QVector<QString>(3, "2019-08-15T10:00:00").toList());
    row("limit 0: a file per record", 0, three, {"2019081510_000", "2019081510_001", "2019081510_002"});
    row("limit 1 MB", 1, QVector<QString>(140, "2019-08-15T10:00:00").toList(), {"2019081510_000", "2019081510_001"}, {},
        "UTC0", 8000);
    row("limit of 4096 MB is not 0", 4096, three, {"2019081510_000"});
    row("negative limit never rolls", -1, three, {"2019081510_000"});
    row("midnight starts again at 000", 0, {"2019-08-15T23:59:58", "2019-08-15T23:59:59.999", "2019-08-16T00:00:00"},
        {"2019081523_000", "2019081523_001", "2019081600_000"},
        {"2019-08-15 23:59:58.000", "2019-08-15 23:59:59.999", "2019-08-16 00:00:00.000"});
    row("month folders", 100, {"2019-08-31T23:59:59", "2019-09-01T00:00:00"},
        {"2019_08/2019083123_000", "2019_09/2019090100_000"});
    row("short day in spring", 0, {"2019-03-30T23:30:00", "2019-03-31T22:30:00"}, {"2019033100_000", "2019040100_000"},
        {"2019-03-31 00:30:00.000", "2019-04-01 00:30:00.000"}, CET);
    row("long day in autumn", 0, {"2019-10-26T22:30:00", "2019-10-27T22:30:00"}, {"2019102700_000", "2019102723_001"},
        {"2019-10-27 00:30:00.000", "2019-10-27 23:30:00.000"}, CET);

    // Files of the same day past their reserve go once more than seven are there.
    auto series = [](const QString& stamp, int first, int count) {
        QStringList names;
        for (int i = first; i < first + count; ++i)
            names << stamp + QString::asprintf("_%03d", i);
        return names;
    };
    const QStringList early(QVector<QString>(8, "2019-08-15T02:00:00").toList());
    row("reserve: more than 7 expired", 0, early + QStringList{"2019-08-15T04:00:00"}, {"2019081504_008"}, {}, "UTC0", 10,
        3600);
    row("reserve: not yet expired", 0, early + QStringList{"2019-08-15T02:30:00"}, series("2019081502", 0, 9), {}, "UTC0",
        10, 3600);
    row("reserve: 7 files are kept", 0, early.mid(1) + QStringList{"2019-08-15T04:00:00"},
        series("2019081502", 0, 7) + series("2019081504", 7, 1), {}, "UTC0", 10, 3600);
    row("reserve 0 keeps everything", 0, early + QStringList{"2019-08-15T04:00:00"},
        series("2019081502", 0, 8) + series("2019081504", 8, 1), {}, "UTC0", 10, 0);
}

void TestFilelogFiles::rollsFiles()
{
    QFETCH(QByteArray, zone);
    QFETCH(int, limit);
    QFETCH(int, size);
    QFETCH(int, reserve);
    QFETCH(QStringList, times);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, prefixes);

    setZone(zone.constData());
    Engine engine(m_dir->path());
    engine.manager.setLoggerLimitSize(engine.id, limit);
    engine.manager.setLoggerMonthDir(engine.id, expected.first().contains('/'));
    engine.manager.setLoggerReserve(engine.id, reserve);
    QVERIFY(engine.start(true));
    for (const QString& time : times) {
        engine.setTime(time);
        QVERIFY(engine.log(2, QByteArray(size, 'r')));
    }
    QVERIFY(engine.manager.stop());

    QStringList names;
    for (const QString& file : expected)
        names << (file.contains('/') ? file.section('/', 0, 0) + "/" : QString())
                     + fileName("netname", file.section('/', -1));
    QCOMPARE(engine.files(), names);
    int records = 0;
    for (int i = 0; i < names.size(); ++i) {
        const QByteArray content = engine.content(names[i]);
        records += recordsOf(content).size();
        if (!prefixes.isEmpty())
            QVERIFY2(content.startsWith(prefixes[i].toUtf8()), content.left(30).constData());
    }
    QCOMPARE(records, reserve > 0 ? names.size() : times.size());
    if (limit == 1)
        QVERIFY(engine.content(names[0]).size() > 1048576);
}

void TestFilelogFiles::writesQueuedRecordsFromManyThreads()
{
    constexpr int THREADS = 4;
    constexpr int RECORDS = 5000;
    Engine engine(m_dir->path());
    engine.setTime("2019-08-15T13:45:00");
    QVERIFY(engine.start(false));
    std::vector<std::thread> producers;
    std::atomic<int> refused{0};
    for (int t = 0; t < THREADS; ++t) {
        producers.emplace_back([&engine, &refused, t] {
            for (int i = 0; i < RECORDS; ++i)
                refused += !engine.log(2, "thread " + QByteArray::number(t) + " record " + QByteArray::number(i));
        });
    }
    for (std::thread& producer : producers)
        producer.join();
    QVERIFY(engine.manager.stop());

    QCOMPARE(refused.load(), 0);
    const uint64_t pushed = engine.manager.pushedRecordCount();
    QCOMPARE(engine.manager.takenRecordCount(), pushed);
    QCOMPARE(engine.manager.writtenRecordCount(), pushed);
    QCOMPARE(engine.files().size(), 1);
    const QList<QByteArray> records = recordsOf(engine.content(engine.files().first()));
    QCOMPARE(records.size(), THREADS * RECORDS);
    // The main logger holds the writer's start-up lines; every pushed record is in one file or the other.
    const QString main = m_dir->path() + "/main/";
    QCOMPARE(uint64_t(records.size() + recordsOf(readWhole(main + logFilesBelow(main).value(0))).size()), pushed);

    int next[THREADS] = {};
    const QRegularExpression shape("^2019-08-15 13:45:00\\.000 \\[\\d{4,}\\] LOG_INFO thread (\\d) record (\\d+)\\r\\n$");
    for (const QByteArray& record : records) {
        const QRegularExpressionMatch match = shape.match(QString::fromUtf8(record));
        QVERIFY2(match.hasMatch(), record.constData());
        QCOMPARE(match.captured(2).toInt(), next[match.captured(1).toInt()]++);   // each thread's records in order
    }
}

void TestFilelogFiles::appliesChangesBetweenQueuedRecords()
{
    Engine engine(m_dir->path());
    engine.setTime("2019-08-15T13:45:00");
    QVERIFY(engine.start(false));
    for (int i = 0; i < 5; ++i)
        QVERIFY(engine.log(2, "before"));
    QTRY_COMPARE(engine.manager.takenRecordCount(), engine.manager.pushedRecordCount());

    const QByteArray other = QString(m_dir->path() + "/logs/other").toUtf8();
    QVERIFY(engine.manager.setLoggerPath(engine.id, other.constData()));
    QVERIFY(engine.manager.setLoggerName(engine.id, "renamed"));
    for (int i = 0; i < 5; ++i)
        QVERIFY(engine.log(2, "after"));
    QVERIFY(engine.manager.stop());

    const QString before = fileName("netname", "201908151345_000");
    const QString after = "other/" + fileName("renamed", "201908151345_000");
    QCOMPARE(engine.files(), (QStringList{after, before}));
    QCOMPARE(engine.content(before).count("before"), 5);
    QCOMPARE(engine.content(after).count("after\r\n"), 5);
}

QTEST_GUILESS_MAIN(TestFilelogFiles)
#include "tst_filelog_files.moc"
