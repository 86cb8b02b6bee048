#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ilogmanager.h"
#include "lockhelper.h"
#include "loggersettings.h"
#include "recordqueue.h"
#include "semhelper.h"
#include "threadhelper.h"
#include "utility_export.h"

namespace filelog {

// The logging engine: up to LOGGER_MAX loggers, their configuration, and the writer thread.
// Synchronous (the default) writes each record in the calling thread; otherwise records are
// queued and the writer thread shows and writes them.
class UTILITY_EXPORT LogerManager : public ThreadHelper, public ILogManager
{
public:
    // Milliseconds since 1970-01-01 UTC.
    using Clock = std::function<int64_t()>;

    LogerManager();
    ~LogerManager() override;

    // The process-wide engine, built on first use.
    static LogerManager& instance();

    bool configFromFile(const char* path) override;
    bool configFromString(const char* text) override;
    LoggerId createLogger(const char* key) override;
    bool start() override;
    bool stop() override;
    LoggerId findLoggerId(const char* key) override;
    bool acceptsLog(LoggerId id, int level) override;
    bool submitRecord(LogRecord* record, const char* file, int line) override;

    bool setLoggerEnabled(LoggerId id, bool enable) override;
    bool setLoggerName(LoggerId id, const char* name) override;
    bool setLoggerPath(LoggerId id, const char* path) override;
    bool setLoggerLevel(LoggerId id, int level) override;
    bool setLoggerFileLine(LoggerId id, bool enable) override;
    bool setLoggerDisplay(LoggerId id, bool enable) override;
    bool setLoggerOutFile(LoggerId id, bool enable) override;
    bool setLoggerLimitSize(LoggerId id, int megabytes) override;
    bool setLoggerMonthDir(LoggerId id, bool enable) override;
    bool setLoggerReserve(LoggerId id, int64_t seconds) override;
    bool setUpdateInterval(int seconds) override;
    bool reloadConfig() override;
    bool isLoggerEnabled(LoggerId id) override;

    uint64_t writtenRecordCount() override { return m_writtenRecords; }
    uint64_t writtenByteCount() override { return m_writtenBytes; }
    uint64_t pushedRecordCount() override { return m_pushedRecords; }
    uint64_t takenRecordCount() override { return m_takenRecords; }
    int activeLoggerCount() override;

    LogRecord* allocRecord(LoggerId id, int level) override;
    void releaseRecord(LogRecord* record) override;

    // Takes effect for records submitted afterwards; set before start().
    void setSynchronous(bool synchronous) { m_synchronous = synchronous; }
    bool isSynchronous() const { return m_synchronous; }

    // Replaces the wall clock (tests of day, month, size and reserve handling); an empty
    // function restores it. Set it while the writer thread is stopped.
    void setClock(Clock clock);

    const std::string& processName() const { return m_processName; }
    const std::string& processIdText() const { return m_processIdText; }

protected:
    void run() override;

private:
    using ChangeQueue = std::deque<LogRecord*>;

    int64_t nowMilliseconds() const;
    bool validId(LoggerId id) const;
    bool admits(LoggerId id, int level) const;
    void throttle();
    bool enqueue(LogRecord* record);
    void writeSynchronously(LogRecord* record);
    bool readConfigFile(const std::string& path, std::string& text);
    bool applyConfig(const std::string& text, bool update);
    bool changeSetting(LoggerId id, int change, int value, const std::string& text);
    void applyChange(LoggerSettings& logger, int change, int value, const std::string& text);
    bool openLogger(LoggerId id, int level, int64_t time);
    void removeExpiredFiles(LoggerSettings& logger, const std::string& keep, int64_t now);
    static void closeFile(LoggerSettings& logger);
    void pushOwnRecord(int level, const std::string& text, int line);
    void writeQueued(const QueuedRecord& record);
    void wakeWriter();
    void sleepUnlessWoken();
    void whenIdle();
    bool finishedAfterStop();
    void freeRecords(ChangeQueue& records);

    // Members are grouped by the threads that touch them for every record, each busy group on
    // cache lines of its own: a producer and the writer writing to one line would slow both.
    // Lock order: m_lifeLock, m_configLock, m_queueLock, m_changeLock, m_loggerLock, m_poolLock.

    std::array<LoggerSettings, LOGGER_MAX> m_loggers;
    std::atomic<int> m_lastLoggerId{0};
    std::map<std::string, LoggerId> m_ids;

    std::string m_configPath;
    std::string m_appliedConfig;
    std::atomic<int> m_updateInterval{0};

    std::atomic<bool> m_running{false};
    std::atomic<bool> m_synchronous{true};
    std::string m_processIdText;
    std::string m_processName;
    Clock m_clock;

    ChangeQueue m_changes;
    SemHelper m_startSignal;
    LockHelper m_lifeLock;      // start and stop
    LockHelper m_configLock;    // configuration path and last applied text
    LockHelper m_changeLock;    // setting-change queue

    // Producers: taking and returning records.
    alignas(64) LockHelper m_poolLock;   // free records
    std::vector<LogRecord*> m_pool;

    // Producers, and the writer when it takes the queue.
    alignas(64) LockHelper m_queueLock;  // record queue
    RecordQueue m_queue;
    std::atomic<int64_t> m_waiting{0};
    std::atomic<uint64_t> m_pushedRecords{0};

    // The writer thread.
    alignas(64) LockHelper m_loggerLock; // key map, logger names, paths, files and their state
    RecordQueue m_queueBatch;
    ChangeQueue m_changeBatch;
    std::array<int64_t, LOGGER_MAX> m_unflushed{};
    std::atomic<uint64_t> m_writtenRecords{0};
    std::atomic<uint64_t> m_writtenBytes{0};
    std::atomic<uint64_t> m_takenRecords{0};

    // Wakes the idle writer early when a backlog builds up or the engine stops.
    alignas(64) std::mutex m_wakeLock;
    std::condition_variable m_wakeSignal;
    bool m_wakeRequested = false;
};

} // namespace filelog
