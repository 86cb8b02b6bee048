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
    // Every file of the logger, in the order of their names.
    QByteArray allContent() const
    {
        QByteArray all;
        for (const QString& file : files())
            all += content(file);
        return all;
    }

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
    void keepsRecordsOfEverySize_data();
    void keepsRecordsOfEverySize();
    void losesNothingFromThreadsThatEnd_data();
    void losesNothingFromThreadsThatEnd();
    void writesWhileRunning_data();
    void writesWhileRunning();
    void followsZoneChangesWithinASecond_data();
    void followsZoneChangesWithinASecond();

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

// The messages of a row, each distinct so that a lost, doubled or reordered record shows.
static QList<QByteArray> numberedMessages(const QList<int>& sizes, const QByteArray& unit = "abcdefghijklmnopqrstuvwxyz")
{
    QList<QByteArray> messages;
    for (int i = 0; i < sizes.size(); ++i) {
        QByteArray message = QByteArray::number(i) + ':';
        while (message.size() < sizes[i])
            message += unit;
        messages << message.left(std::max(sizes[i], 0));
    }
    return messages;
}

// What a record of the message reads like once written by the engine (cut to the record's room
// at a whole character).
static QByteArray expectedRecord(const QByteArray& prefix, const QByteArray& message)
{
    int cut = std::min(int(message.size()), filelog::LOG_RECORD_TEXT_SIZE - 3 - int(prefix.size()));
    // Back to the start of a character the cut fell into: the messages are whole UTF-8 text.
    while (cut > 0 && cut < message.size() && (quint8(message[cut]) & 0xC0) == 0x80)
        --cut;
    return prefix + message.left(cut) + "\r\n";
}

void TestFilelogFiles::keepsRecordsOfEverySize_data()
{
    QTest::addColumn<bool>("synchronous");
    QTest::addColumn<QList<int>>("sizes");
    QTest::addColumn<QByteArray>("unit");   // repeated to fill each message

    const QByteArray letters("abcdefghijklmnopqrstuvwxyz");
    auto repeated = [](int count, int size) { return QVector<int>(count, size).toList(); };
    QList<int> aroundAlignment;
    for (int size = 0; size <= 17; ++size)
        aroundAlignment << size;
    QTest::newRow("empty messages") << false << repeated(3, 0) << letters;
    QTest::newRow("lengths around the alignment") << false << aroundAlignment << letters;
    QTest::newRow("records filling many blocks") << false << repeated(40, 8000) << letters;
    QTest::newRow("longest records, cut") << false << repeated(12, 9000) << letters;
    QTest::newRow("long and short mixed") << false << QList<int>{8150, 1, 8150, 0, 5000, 3, 8189, 8188, 2, 8191, 40}
                                          << letters;
    QTest::newRow("cut inside a character, queued") << false << repeated(3, 9000) << QByteArray("汉");
    QTest::newRow("cut inside a character, synchronous") << true << repeated(3, 9000) << QByteArray("汉");
    QTest::newRow("four-byte characters") << false << repeated(3, 8170) << QByteArray("😀");
    QTest::newRow("synchronous sizes") << true << QList<int>{0, 1, 8, 8000, 9000} << letters;
}

void TestFilelogFiles::keepsRecordsOfEverySize()
{
    QFETCH(bool, synchronous);
    QFETCH(QList<int>, sizes);
    QFETCH(QByteArray, unit);

    Engine engine(m_dir->path());
    engine.setTime("2019-08-15T13:45:00.042");
    QVERIFY(engine.start(synchronous));
    const QList<QByteArray> messages = numberedMessages(sizes, unit);
    for (const QByteArray& message : messages)
        QVERIFY(engine.log(2, message));
    QVERIFY(engine.manager.stop());

    QCOMPARE(engine.files().size(), 1);
    const QList<QByteArray> records = recordsOf(engine.content(engine.files().first()));
    QCOMPARE(records.size(), messages.size());
    const QByteArray prefix = "2019-08-15 13:45:00.042 [" + QByteArray::number(int(gettid())).rightJustified(4, '0')
        + "] LOG_INFO ";
    for (int i = 0; i < messages.size(); ++i)
        QCOMPARE(records[i], expectedRecord(prefix, messages[i]));
}

void TestFilelogFiles::losesNothingFromThreadsThatEnd_data()
{
    QTest::addColumn<bool>("synchronous");
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("records");   // per thread
    QTest::addColumn<int>("size");

    QTest::newRow("one record from each of many threads") << false << 32 << 1 << 30;
    QTest::newRow("threads ending while the writer works") << false << 8 << 500 << 200;
    QTest::newRow("a backlog above the wake level") << false << 3 << 3000 << 60;
    QTest::newRow("long records from several threads") << false << 4 << 60 << 8100;
    QTest::newRow("synchronous") << true << 6 << 50 << 100;
}

void TestFilelogFiles::losesNothingFromThreadsThatEnd()
{
    QFETCH(bool, synchronous);
    QFETCH(int, threads);
    QFETCH(int, records);
    QFETCH(int, size);

    Engine engine(m_dir->path());
    engine.setTime("2019-08-15T13:45:00");
    QVERIFY(engine.start(synchronous));
    std::atomic<int> refused{0};
    // Started a few at a time, so that some threads end while others still log.
    for (int first = 0; first < threads; first += 4) {
        std::vector<std::thread> producers;
        for (int t = first; t < std::min(threads, first + 4); ++t) {
            producers.emplace_back([&engine, &refused, t, records, size] {
                for (int i = 0; i < records; ++i) {
                    const QByteArray head = "t" + QByteArray::number(t) + " r" + QByteArray::number(i) + " ";
                    refused += !engine.log(2, head + QByteArray(std::max(0, size - int(head.size())), 'x'));
                }
            });
        }
        for (std::thread& producer : producers)
            producer.join();
    }
    QVERIFY(engine.manager.stop());

    QCOMPARE(refused.load(), 0);
    const QList<QByteArray> written = recordsOf(engine.allContent());
    QCOMPARE(written.size(), threads * records);
    std::vector<int> next(static_cast<size_t>(threads), 0);
    const QRegularExpression shape("^2019-08-15 13:45:00\\.000 \\[\\d{4,}\\] LOG_INFO t(\\d+) r(\\d+) x*\\r\\n$");
    for (const QByteArray& record : written) {
        const QRegularExpressionMatch match = shape.match(QString::fromUtf8(record));
        QVERIFY2(match.hasMatch(), record.left(80).constData());
        QCOMPARE(match.captured(2).toInt(), next[match.captured(1).toUInt()]++);
    }
}

void TestFilelogFiles::writesWhileRunning_data()
{
    QTest::addColumn<int>("records");
    QTest::newRow("one record") << 1;
    QTest::newRow("just below the wake level") << 999;
    QTest::newRow("at the wake level") << 1000;
    QTest::newRow("just above the wake level") << 1001;
    QTest::newRow("several batches") << 2500;
}

// Records reach the file without the engine being stopped, however few are left waiting.
void TestFilelogFiles::writesWhileRunning()
{
    QFETCH(int, records);

    Engine engine(m_dir->path());
    engine.setTime("2019-08-15T13:45:00");
    QVERIFY(engine.start(false));
    for (int i = 0; i < records; ++i)
        QVERIFY(engine.log(2, "record " + QByteArray::number(i)));
    auto written = [&engine] {
        const QStringList files = engine.files();
        return files.isEmpty() ? 0 : int(recordsOf(engine.content(files.first())).size());
    };
    QTRY_COMPARE_WITH_TIMEOUT(written(), records, 10000);
    QVERIFY(engine.manager.stop());
    QCOMPARE(written(), records);
}

void TestFilelogFiles::followsZoneChangesWithinASecond_data()
{
    QTest::addColumn<bool>("synchronous");
    QTest::addColumn<QStringList>("zones");      // one record each, all at the same second
    QTest::addColumn<QStringList>("expected");   // the local time each record shows

    const QString cet = CET;
    QTest::newRow("UTC, then summer time in Europe") << true << QStringList{"UTC0", cet, "UTC0"}
                                                     << QStringList{"13:45:30", "15:45:30", "13:45:30"};
    QTest::newRow("same zone names, other offsets") << true << QStringList{"AAA-1", "AAA-2", "AAA+3"}
                                                    << QStringList{"14:45:30", "15:45:30", "10:45:30"};
    QTest::newRow("queued") << false << QStringList{"UTC0", cet} << QStringList{"13:45:30", "15:45:30"};
}

void TestFilelogFiles::followsZoneChangesWithinASecond()
{
    QFETCH(bool, synchronous);
    QFETCH(QStringList, zones);
    QFETCH(QStringList, expected);

    Engine engine(m_dir->path());
    engine.setTime("2019-08-15T13:45:30.500");
    QVERIFY(engine.start(synchronous));
    for (const QString& zone : zones) {
        setZone(zone.toUtf8().constData());
        QVERIFY(engine.log(2, "in " + zone.toUtf8()));
    }
    QVERIFY(engine.manager.stop());

    const QList<QByteArray> records = recordsOf(engine.allContent());
    QCOMPARE(records.size(), zones.size());
    // Files by the hour sort the records by local time; each record names its zone.
    for (int i = 0; i < zones.size(); ++i) {
        const QByteArray tail = " LOG_INFO in " + zones[i].toUtf8() + "\r\n";
        const QByteArray time = "2019-08-15 " + expected[i].toUtf8() + ".500 [";
        const bool found = std::any_of(records.begin(), records.end(), [&](const QByteArray& record) {
            return record.startsWith(time) && record.endsWith(tail);
        });
        QVERIFY2(found, (time + "..." + tail).constData());
    }
}

QTEST_GUILESS_MAIN(TestFilelogFiles)
#include "tst_filelog_files.moc"
