#include "logermanager.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <new>
#include <random>
#include <thread>
#include <unistd.h>

#include "logconfig.h"
#include "logconsole.h"
#include "localtimecache.h"
#include "sparerecord.h"

namespace filelog {

namespace {

constexpr size_t POOL_KEEP = 800;
// Waiting records above which producers are slowed down.
constexpr int64_t BACKLOG_LIMIT = 20000;
// Waiting records at which an idle writer is woken before its nap ends, well before the limit.
constexpr int64_t WAKE_BACKLOG = 1000;
constexpr int64_t MEGABYTE = 1048576;
constexpr size_t WRITER_BUFFER_SIZE = 64 * 1024;
constexpr int ERROR_COLOUR = LOG_LEVEL_FATAL;

using Guard = std::lock_guard<LockHelper>;

int localDay(const std::tm& local)
{
    return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

std::string programName()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || exe.filename().empty())
        return "process";
    const std::string name = exe.filename().string();
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string formatProcessId()
{
    char text[16];
    std::snprintf(text, sizeof text, "%06u", static_cast<unsigned>(getpid()));
    return text;
}

const char* fileBaseName(const char* file)
{
    const char* base = file;
    for (const char* c = file; *c; ++c) {
        if (*c == '/' || *c == '\\')
            base = c + 1;
    }
    return base;
}

// Ends the record's text with CR LF, cutting it when needed so that both fit.
void terminateRecord(LogRecord* record)
{
    const int length = std::clamp(record->length, 0, LOG_RECORD_TEXT_SIZE - 3);
    record->length = length < record->length ? wholeCharacterLength(record->text, length) : length;
    record->text[record->length] = '\r';
    record->text[record->length + 1] = '\n';
    record->text[record->length + 2] = '\0';
    record->length += 2;
}

void printLoadError(const std::string& path)
{
    std::printf(" !!! !!! !!! !!!\r\n");
    std::printf(" !!! !!! filelog load config file error. filename=%s  !!! !!! \r\n", path.c_str());
    std::printf(" !!! !!! !!! !!!\r\n");
}

// Adds to a counter that one thread at a time changes (under one lock, or the writer alone):
// readers elsewhere still see whole values, and no record pays for a locked instruction.
template <typename T>
T addSerialized(std::atomic<T>& counter, T amount)
{
    const T value = counter.load(std::memory_order_relaxed) + amount;
    counter.store(value, std::memory_order_relaxed);
    return value;
}

int currentThreadId()
{
    thread_local const int id = static_cast<int>(gettid());
    return id;
}

// "[id] " of the calling thread, formatted once.
struct ThreadTag
{
    ThreadTag()
    {
        const int written = std::snprintf(text, sizeof text, "[%04d] ", currentThreadId());
        length = written < 0 ? 0 : written;
    }
    char text[24] = {};
    int length = 0;
};

const ThreadTag& threadTag()
{
    thread_local const ThreadTag tag;
    return tag;
}

// Writes the record's prefix: local time to the millisecond, thread id and level name.
void writePrefix(LogRecord* record)
{
    const LocalTimeCache::Entry& local = LocalTimeCache::at(record->time);
    const ThreadTag& tag = threadTag();
    const char* level = levelName(record->level);
    const size_t levelLength = std::strlen(level);
    char* out = record->text;
    std::memcpy(out, local.stamp, static_cast<size_t>(local.stampLength));
    out += local.stampLength;
    const int ms = record->milliseconds;
    *out++ = static_cast<char>('0' + ms / 100);
    *out++ = static_cast<char>('0' + ms / 10 % 10);
    *out++ = static_cast<char>('0' + ms % 10);
    *out++ = ' ';
    std::memcpy(out, tag.text, static_cast<size_t>(tag.length));
    out += tag.length;
    std::memcpy(out, level, levelLength);
    out += levelLength;
    *out++ = ' ';
    *out = '\0';
    record->length = static_cast<int>(out - record->text);
}

int percentChance()
{
    thread_local std::minstd_rand random(
        static_cast<unsigned>(std::hash<std::thread::id>()(std::this_thread::get_id())));
    return static_cast<int>(random() % 100);
}

} // namespace

LogerManager::LogerManager()
    : m_processIdText(formatProcessId())
    , m_processName(programName())
{
    LoggerSettings& main = m_loggers[MAIN_LOGGER_ID];
    main.key = "Main";
    main.name = "Main";
    main.enable = true;
    m_ids.emplace(main.key, MAIN_LOGGER_ID);
}

LogerManager::~LogerManager()
{
    stop();
    {
        Guard guard(m_loggerLock);
        for (LoggerSettings& logger : m_loggers)
            closeFile(logger);
    }
    freeRecords(m_changes);
    freeRecords(m_changeBatch);
    Guard guard(m_poolLock);
    for (LogRecord* record : m_pool)
        std::free(record);
    m_pool.clear();
}

LogerManager& LogerManager::instance()
{
    static LogerManager manager;
    return manager;
}

void LogerManager::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

int64_t LogerManager::nowMilliseconds() const
{
    if (m_clock)
        return m_clock();
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

bool LogerManager::validId(LoggerId id) const
{
    return id >= 0 && id <= m_lastLoggerId.load(std::memory_order_acquire);
}

// ---- configuration -------------------------------------------------------------------------

bool LogerManager::readConfigFile(const std::string& path, std::string& text)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char buffer[512];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, count);
    std::fclose(file);
    return true;
}

bool LogerManager::configFromFile(const char* path)
{
    const std::string newPath = path ? path : "";
    {
        Guard guard(m_configLock);
        if (!m_configPath.empty()) {
            std::printf(" !!! !!! !!! !!!\r\n");
            std::printf(" !!! !!! filelog configure error: too many calls to Config. the old config file=%s,  the new config file=%s !!! !!! \r\n",
                        m_configPath.c_str(), newPath.c_str());
            std::printf(" !!! !!! !!! !!!\r\n");
            return false;
        }
        m_configPath = newPath;
    }
    std::string text;
    if (!readConfigFile(newPath, text)) {
        printLoadError(newPath);
        return false;
    }
    return applyConfig(text, false);
}

bool LogerManager::reloadConfig()
{
    std::string path;
    {
        Guard guard(m_configLock);
        path = m_configPath;
    }
    std::string text;
    if (path.empty() || !readConfigFile(path, text)) {
        printLoadError(path);
        return false;
    }
    return applyConfig(text, true);
}

bool LogerManager::configFromString(const char* text)
{
    return applyConfig(text ? text : "", false);
}

bool LogerManager::applyConfig(const std::string& text, bool update)
{
    Guard guard(m_configLock);
    // The whole text is compared: a sum of its bytes would miss two swapped values.
    if (text == m_appliedConfig)
        return true;
    m_appliedConfig = text;

    for (const auto& [key, parsed] : LogConfig::parse(text)) {
        LoggerId id = findLoggerId(key.c_str());
        if (id < 0) {
            if (update)
                continue;
            id = createLogger(key.c_str());
            if (id < 0)
                continue;
        }
        setLoggerEnabled(id, parsed.enable);
        setLoggerName(id, parsed.name.c_str());
        setLoggerPath(id, parsed.path.c_str());
        setLoggerLevel(id, parsed.level);
        setLoggerFileLine(id, parsed.fileline);
        setLoggerDisplay(id, parsed.display);
        setLoggerOutFile(id, parsed.outfile);
        setLoggerLimitSize(id, parsed.limitsize);
        setLoggerMonthDir(id, parsed.monthdir);
        // The parsed reserve time is deliberately not applied: only setLoggerReserve changes it.
    }
    return true;
}

LoggerId LogerManager::createLogger(const char* key)
{
    if (!key)
        return -1;
    const std::string trimmed = LogConfig::loggerKey(key);
    Guard guard(m_loggerLock);
    auto found = m_ids.find(trimmed);
    if (found != m_ids.end())
        return found->second;
    const LoggerId id = m_lastLoggerId.load() + 1;
    if (id >= LOGGER_MAX) {
        LogConsole::printColored("filelog: CreateLogger can not create|writeover, because loggerid need < LOGGER_MAX! \r\n",
                                 ERROR_COLOUR);
        return -1;
    }
    LoggerSettings& logger = m_loggers[id];
    logger.key = trimmed;
    logger.name = trimmed;
    logger.enable = true;
    m_ids.emplace(trimmed, id);
    // Published last, so a producer that sees the id sees the logger ready.
    m_lastLoggerId.store(id, std::memory_order_release);
    return id;
}

LoggerId LogerManager::findLoggerId(const char* key)
{
    if (!key)
        return -1;
    const std::string trimmed = LogConfig::loggerKey(key);
    Guard guard(m_loggerLock);
    auto found = m_ids.find(trimmed);
    return found == m_ids.end() ? -1 : found->second;
}

// ---- settings ------------------------------------------------------------------------------

bool LogerManager::changeSetting(LoggerId id, int change, int value, const std::string& text)
{
    if (!validId(id) || text.size() >= static_cast<size_t>(LOG_RECORD_TEXT_SIZE))
        return false;
    Guard changeGuard(m_changeLock);
    if (!m_running || m_synchronous) {
        Guard guard(m_loggerLock);
        applyChange(m_loggers[id], change, value, text);
        return true;
    }
    // The writer owns the files while it runs: it applies the change between records.
    LogRecord* record = allocRecord(id, LOG_LEVEL_TRACE);
    if (!record)
        return false;
    record->changeType = change;
    record->changeValue = value;
    record->length = static_cast<int>(text.size());
    text.copy(record->text, text.size());
    record->text[record->length] = '\0';
    m_changes.push_back(record);
    return true;
}

void LogerManager::applyChange(LoggerSettings& logger, int change, int value, const std::string& text)
{
    switch (change) {
    case LOG_CHANGE_ENABLE: logger.enable = value != 0; break;
    case LOG_CHANGE_NAME: logger.name = text; break;
    case LOG_CHANGE_PATH: logger.path = text; break;
    case LOG_CHANGE_LEVEL: logger.level = value; break;
    case LOG_CHANGE_FILELINE: logger.fileline = value != 0; break;
    case LOG_CHANGE_DISPLAY: logger.display = value != 0; break;
    case LOG_CHANGE_OUTFILE: logger.outfile = value != 0; break;
    case LOG_CHANGE_LIMITSIZE: logger.limitsize = value; break;
    case LOG_CHANGE_MONTHDIR: logger.monthdir = value != 0; break;
    case LOG_CHANGE_RESERVE: logger.reserve = std::max(value, 0); break;
    default: return;
    }
    // Closing lets the following record reopen its file with the changed name, path or limits.
    closeFile(logger);
}

bool LogerManager::setLoggerEnabled(LoggerId id, bool enable)
{
    if (!validId(id))
        return false;
    if (enable) {
        m_loggers[id].enable = true;
        return true;
    }
    return changeSetting(id, LOG_CHANGE_ENABLE, 0, std::string());
}

bool LogerManager::setLoggerName(LoggerId id, const char* name)
{
    if (!name || !*name)
        return false;
    return changeSetting(id, LOG_CHANGE_NAME, 0, name);
}

bool LogerManager::setLoggerPath(LoggerId id, const char* path)
{
    if (!path || !*path)
        return false;
    std::string folder = path;
    if (folder.back() != '/' && folder.back() != '\\')
        folder += '/';
    return changeSetting(id, LOG_CHANGE_PATH, 0, folder);
}

bool LogerManager::setLoggerLevel(LoggerId id, int level)
{
    if (!validId(id))
        return false;
    // Lowering the level can take effect at once: no file depends on it.
    if (level <= m_loggers[id].level) {
        m_loggers[id].level = level;
        return true;
    }
    return changeSetting(id, LOG_CHANGE_LEVEL, level, std::string());
}

bool LogerManager::setLoggerFileLine(LoggerId id, bool enable)
{
    return changeSetting(id, LOG_CHANGE_FILELINE, enable, std::string());
}

bool LogerManager::setLoggerDisplay(LoggerId id, bool enable)
{
    return changeSetting(id, LOG_CHANGE_DISPLAY, enable, std::string());
}

bool LogerManager::setLoggerOutFile(LoggerId id, bool enable)
{
    return changeSetting(id, LOG_CHANGE_OUTFILE, enable, std::string());
}

bool LogerManager::setLoggerLimitSize(LoggerId id, int megabytes)
{
    return changeSetting(id, LOG_CHANGE_LIMITSIZE, megabytes, std::string());
}

bool LogerManager::setLoggerMonthDir(LoggerId id, bool enable)
{
    return changeSetting(id, LOG_CHANGE_MONTHDIR, enable, std::string());
}

bool LogerManager::setLoggerReserve(LoggerId id, int64_t seconds)
{
    const int value = static_cast<int>(std::clamp<int64_t>(seconds, 0, INT_MAX));
    return changeSetting(id, LOG_CHANGE_RESERVE, value, std::string());
}

bool LogerManager::setUpdateInterval(int seconds)
{
    m_updateInterval = seconds;
    return true;
}

bool LogerManager::isLoggerEnabled(LoggerId id)
{
    return validId(id) && m_loggers[id].enable;
}

int LogerManager::activeLoggerCount()
{
    const int last = m_lastLoggerId.load(std::memory_order_acquire);
    int count = 0;
    for (int id = 0; id <= last; ++id)
        count += m_loggers[id].enable ? 1 : 0;
    return count;
}

// ---- records -------------------------------------------------------------------------------

LogRecord* LogerManager::allocRecord(LoggerId id, int level)
{
    LogRecord* record = SpareRecord::take();
    if (!record) {
        Guard guard(m_poolLock);
        if (!m_pool.empty()) {
            record = m_pool.back();
            m_pool.pop_back();
        }
    }
    if (!record)
        record = static_cast<LogRecord*>(std::malloc(sizeof(LogRecord)));
    if (!record)
        return nullptr;

    const int64_t now = nowMilliseconds();
    record->loggerId = id;
    record->changeType = LOG_CHANGE_NONE;
    record->changeValue = 0;
    record->level = level;
    record->time = now / 1000;
    record->milliseconds = static_cast<int>(now % 1000);
    if (record->milliseconds < 0) {
        record->milliseconds += 1000;
        --record->time;
    }
    record->threadId = currentThreadId();
    // Each record converts its own time, so the prefix and the day stay right across
    // daylight-saving changes.
    writePrefix(record);
    return record;
}

void LogerManager::releaseRecord(LogRecord* record)
{
    if (!record || SpareRecord::keep(record))
        return;
    {
        Guard guard(m_poolLock);
        if (m_pool.size() < POOL_KEEP) {
            m_pool.push_back(record);
            return;
        }
    }
    std::free(record);
}

void LogerManager::freeRecords(ChangeQueue& records)
{
    for (LogRecord* record : records)
        std::free(record);
    records.clear();
}

bool LogerManager::admits(LoggerId id, int level) const
{
    if (!validId(id) || !m_running)
        return false;
    const LoggerSettings& logger = m_loggers[id];
    return logger.enable && level >= logger.level;
}

bool LogerManager::acceptsLog(LoggerId id, int level)
{
    if (!admits(id, level))
        return false;
    throttle();
    return true;
}

// Slows producers down gradually, with a chance growing with the backlog, up to 100 ms a call.
void LogerManager::throttle()
{
    int64_t waiting = m_waiting.load(std::memory_order_relaxed);
    if (waiting <= BACKLOG_LIMIT)
        return;
    const int ms = static_cast<int>(std::min<int64_t>(100, (waiting * 100 - 2000000) / 20000));
    if (percentChance() >= ms)
        return;
    if (ms > 50) {
        Guard guard(m_queueLock);
        waiting = m_waiting;
    }
    if (waiting > BACKLOG_LIMIT)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool LogerManager::submitRecord(LogRecord* record, const char* file, int line)
{
    if (!record)
        return false;
    if (!admits(record->loggerId, record->level)) {
        releaseRecord(record);
        return false;
    }
    const LoggerSettings& logger = m_loggers[record->loggerId];
    if (logger.fileline && file)
        appendRecordText(record, " %s:%d", fileBaseName(file), line);
    terminateRecord(record);

    if (!m_synchronous)
        return enqueue(record);
    if (logger.display)
        LogConsole::printColored(record->text, record->level);
    if (logger.outfile)
        writeSynchronously(record);
    releaseRecord(record);
    return true;
}

bool LogerManager::enqueue(LogRecord* record)
{
    bool queued = false;
    bool wake = false;
    {
        Guard guard(m_queueLock);
        // Tested under the lock: once the writer has seen the engine stopped with an empty
        // queue, nothing can be queued behind its back.
        if (m_running) {
            try {
                m_queue.push(*record);
                queued = true;
            } catch (const std::bad_alloc&) {
                // Out of memory: the record is lost, the caller is not.
            }
        }
        if (queued) {
            wake = addSerialized<int64_t>(m_waiting, 1) == WAKE_BACKLOG;
            addSerialized<uint64_t>(m_pushedRecords, 1);
        }
    }
    // The queue holds a copy: the record goes straight back to the pool for the next call.
    releaseRecord(record);
    if (wake)
        wakeWriter();
    return queued;
}

void LogerManager::writeSynchronously(LogRecord* record)
{
    Guard guard(m_loggerLock);
    LoggerSettings& logger = m_loggers[record->loggerId];
    if (!openLogger(record->loggerId, record->level, record->time))
        return;
    if (record->length > 0) {
        const size_t written = std::fwrite(record->text, 1, static_cast<size_t>(record->length), logger.file);
        logger.writtenBytes += static_cast<int64_t>(written);
        addSerialized<uint64_t>(m_writtenRecords, 1);
        addSerialized<uint64_t>(m_writtenBytes, written);
    }
    closeFile(logger);
}

// ---- files ---------------------------------------------------------------------------------

void LogerManager::closeFile(LoggerSettings& logger)
{
    if (logger.file) {
        std::fclose(logger.file);
        logger.file = nullptr;
    }
}

bool LogerManager::openLogger(LoggerId id, int level, int64_t time)
{
    if (!validId(id)) {
        LogConsole::printColored("filelog: openLogger can not open, invalide logger id! \r\n", ERROR_COLOUR);
        return false;
    }
    LoggerSettings& logger = m_loggers[id];
    if (!logger.enable || !logger.outfile || level < logger.level)
        return false;

    const std::tm local = LocalTimeCache::at(time).local;
    const int day = localDay(local);
    if (day != logger.fileDay) {
        logger.fileIndex = 0;
        closeFile(logger);
    } else if (logger.limitsize >= 0 && logger.writtenBytes > int64_t(logger.limitsize) * MEGABYTE) {
        ++logger.fileIndex;
        closeFile(logger);
    }
    if (logger.file)
        return true;

    logger.fileDay = day;
    logger.writtenBytes = 0;
    std::string folder = logger.path;
    std::replace(folder.begin(), folder.end(), '\\', '/');
    char stamp[64];
    if (logger.monthdir) {
        std::snprintf(stamp, sizeof stamp, "%04d_%02d/", local.tm_year + 1900, local.tm_mon + 1);
        folder += stamp;
    }
    std::error_code error;
    if (!folder.empty() && !std::filesystem::is_directory(folder, error))
        std::filesystem::create_directories(folder, error);

    // Records written in the calling thread reopen the file for each record, so their files
    // change by the hour; the writer thread keeps its file open and names it to the minute.
    if (m_synchronous) {
        std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                      local.tm_mday, local.tm_hour);
    } else {
        std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                      local.tm_mday, local.tm_hour, local.tm_min);
    }
    char index[16];
    std::snprintf(index, sizeof index, "%03u", logger.fileIndex);
    const std::string filePath = folder + m_processName + "_" + logger.name + "_" + stamp + "_"
        + m_processIdText + "_" + index + ".log";

    FILE* file = std::fopen(filePath.c_str(), "ab");
    if (!file) {
        LogConsole::printColored("!!!!!!!!!!!!!!!!!!!!!!!!!! \r\n", ERROR_COLOUR);
        const std::string message = "filelog: can not open log file " + filePath + ". \r\n";
        LogConsole::printColored(message.c_str(), ERROR_COLOUR);
        LogConsole::printColored("!!!!!!!!!!!!!!!!!!!!!!!!!! \r\n", ERROR_COLOUR);
        return false;
    }
    if (!m_synchronous) {
        // The writer flushes when its queue runs dry; until then records gather in a buffer
        // large enough to spare a system call for every few records.
        if (!logger.fileBuffer)
            logger.fileBuffer.reset(new (std::nothrow) char[WRITER_BUFFER_SIZE]);
        if (logger.fileBuffer)
            std::setvbuf(file, logger.fileBuffer.get(), _IOFBF, WRITER_BUFFER_SIZE);
    }
    std::fseek(file, 0, SEEK_END);
    logger.writtenBytes = std::max<long>(std::ftell(file), 0);
    logger.file = file;

    const int64_t now = nowMilliseconds() / 1000;
    removeExpiredFiles(logger, filePath, now);
    if (logger.history.empty() || logger.history.back().path != filePath)
        logger.history.push_back({now, filePath});
    return true;
}

void LogerManager::removeExpiredFiles(LoggerSettings& logger, const std::string& keep, int64_t now)
{
    if (logger.reserve <= 0 || logger.history.size() <= 7)
        return;
    const int64_t oldest = now - logger.reserve;
    while (!logger.history.empty() && logger.history.front().openTime < oldest) {
        // The file just opened may reappear in an old entry; it is never removed under the writer.
        if (logger.history.front().path != keep)
            std::remove(logger.history.front().path.c_str());
        logger.history.pop_front();
    }
}

// ---- writer thread -------------------------------------------------------------------------

bool LogerManager::start()
{
    Guard guard(m_lifeLock);
    if (m_running) {
        LogConsole::printColored("filelog already start \r\n", ERROR_COLOUR);
        return false;
    }
    if (!ThreadHelper::start() || !m_startSignal.wait(3000)) {
        LogConsole::printColored("filelog: create filelog thread error! \r\n", ERROR_COLOUR);
        return false;
    }
    return true;
}

bool LogerManager::stop()
{
    Guard guard(m_lifeLock);
    if (!m_running)
        return false;
    LogConsole::printColored("filelog stopping \r\n", ERROR_COLOUR);
    m_running = false;
    wakeWriter();
    ThreadHelper::wait();
    Guard poolGuard(m_poolLock);
    for (LogRecord* record : m_pool)
        std::free(record);
    m_pool.clear();
    return true;
}

void LogerManager::pushOwnRecord(int level, const std::string& text, int line)
{
    if (!acceptsLog(MAIN_LOGGER_ID, level))
        return;
    LogRecord* record = allocRecord(MAIN_LOGGER_ID, level);
    if (!record)
        return;
    appendRecordText(record, "%s", text.c_str());
    submitRecord(record, __FILE__, line);
}

void LogerManager::run()
{
    m_running = true;
    pushOwnRecord(LOG_LEVEL_ALARM, "-----------------  filelog thread started!   ----------------------------", __LINE__);
    const int last = m_lastLoggerId.load(std::memory_order_acquire);
    for (int id = 0; id <= last; ++id) {
        if (!m_loggers[id].enable)
            continue;
        std::string text;
        {
            Guard guard(m_loggerLock);
            const LoggerSettings& logger = m_loggers[id];
            text = "logger id=" + std::to_string(id) + " key=" + logger.key + " name=" + logger.name
                + " path=" + logger.path + " level=" + std::to_string(logger.level.load())
                + " display=" + (logger.display ? "true" : "false");
        }
        pushOwnRecord(LOG_LEVEL_ALARM, text, __LINE__);
    }
    m_startSignal.post();

    int64_t lastCheck = nowMilliseconds() / 1000;
    for (;;) {
        if (m_queueBatch.empty() && m_changeBatch.empty()) {
            {
                Guard guard(m_queueLock);
                m_queueBatch.swap(m_queue);
                m_waiting = 0;
            }
            Guard guard(m_changeLock);
            m_changeBatch.swap(m_changes);
        }
        if (!m_changeBatch.empty()) {
            LogRecord* change = m_changeBatch.front();
            m_changeBatch.pop_front();
            if (validId(change->loggerId)) {
                Guard guard(m_loggerLock);
                applyChange(m_loggers[change->loggerId], change->changeType, change->changeValue,
                            std::string(change->text, static_cast<size_t>(change->length)));
            }
            releaseRecord(change);
            continue;
        }
        if (!m_queueBatch.empty()) {
            m_queueBatch.forEach([this](const QueuedRecord& record) { writeQueued(record); });
            m_queueBatch.clear();
            // A few records left wait for the end of the nap: taking the queue every few records
            // would have producers and the writer contend for its lock and cache lines.
            if (!m_running || m_waiting.load(std::memory_order_relaxed) >= WAKE_BACKLOG)
                continue;
        }

        whenIdle();
        if (m_running)
            sleepUnlessWoken();
        if (!m_running && finishedAfterStop())
            break;
        const int interval = m_updateInterval;
        const int64_t now = nowMilliseconds() / 1000;
        if (interval > 0 && now - lastCheck > interval) {
            reloadConfig();
            lastCheck = now;
        }
    }

    Guard guard(m_loggerLock);
    for (int id = 0; id <= m_lastLoggerId.load(); ++id) {
        m_loggers[id].enable = false;
        closeFile(m_loggers[id]);
    }
}

void LogerManager::writeQueued(const QueuedRecord& record)
{
    const LoggerId id = record.loggerId;
    if (!validId(id))
        return;
    addSerialized<uint64_t>(m_takenRecords, 1);   // the writer's alone
    LoggerSettings& logger = m_loggers[id];
    if (!logger.enable || record.level < logger.level)
        return;
    if (logger.display)
        LogConsole::printColored(record.text(), record.level);
    if (!logger.outfile)
        return;
    Guard guard(m_loggerLock);
    if (!openLogger(id, record.level, record.time))
        return;
    const size_t written = std::fwrite(record.text(), 1, static_cast<size_t>(record.length), logger.file);
    if (written != static_cast<size_t>(record.length))
        closeFile(logger);
    logger.writtenBytes += static_cast<int64_t>(written);
    ++m_unflushed[id];
    addSerialized<uint64_t>(m_writtenRecords, 1);
    addSerialized<uint64_t>(m_writtenBytes, written);
}

void LogerManager::wakeWriter()
{
    {
        std::lock_guard<std::mutex> guard(m_wakeLock);
        m_wakeRequested = true;
    }
    m_wakeSignal.notify_one();
}

// The idle writer's nap: 50 ms, or less when woken.
void LogerManager::sleepUnlessWoken()
{
    std::unique_lock<std::mutex> guard(m_wakeLock);
    m_wakeSignal.wait_for(guard, std::chrono::milliseconds(50), [this] { return m_wakeRequested; });
    m_wakeRequested = false;
}

void LogerManager::whenIdle()
{
    Guard guard(m_loggerLock);
    const int last = m_lastLoggerId.load(std::memory_order_acquire);
    for (int id = 0; id <= last; ++id) {
        LoggerSettings& logger = m_loggers[id];
        if (!logger.enable) {
            closeFile(logger);
        } else if (m_unflushed[id] > 0 && logger.file) {
            std::fflush(logger.file);
        }
        m_unflushed[id] = 0;
    }
}

bool LogerManager::finishedAfterStop()
{
    Guard queueGuard(m_queueLock);
    Guard changeGuard(m_changeLock);
    return m_queue.empty() && m_changes.empty();
}

} // namespace filelog
