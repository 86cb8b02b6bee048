#pragma once

#include <cstdint>

#include "logrecord.h"
#include "utility_export.h"

namespace filelog {

// The logging engine's interface: loggers, their settings and the way records travel.
// Results are bool or -1; problems are reported as text on standard output, never thrown.
class UTILITY_EXPORT ILogManager
{
public:
    virtual ~ILogManager() = default;

    virtual bool configFromFile(const char* path) = 0;
    virtual bool configFromString(const char* text) = 0;
    virtual LoggerId createLogger(const char* key) = 0;
    virtual bool start() = 0;
    virtual bool stop() = 0;
    virtual LoggerId findLoggerId(const char* key) = 0;
    virtual bool acceptsLog(LoggerId id, int level) = 0;
    virtual bool submitRecord(LogRecord* record, const char* file, int line) = 0;

    virtual bool setLoggerEnabled(LoggerId id, bool enable) = 0;
    virtual bool setLoggerName(LoggerId id, const char* name) = 0;
    virtual bool setLoggerPath(LoggerId id, const char* path) = 0;
    virtual bool setLoggerLevel(LoggerId id, int level) = 0;
    virtual bool setLoggerFileLine(LoggerId id, bool enable) = 0;
    virtual bool setLoggerDisplay(LoggerId id, bool enable) = 0;
    virtual bool setLoggerOutFile(LoggerId id, bool enable) = 0;
    virtual bool setLoggerLimitSize(LoggerId id, int megabytes) = 0;
    virtual bool setLoggerMonthDir(LoggerId id, bool enable) = 0;
    virtual bool setLoggerReserve(LoggerId id, int64_t seconds) = 0;
    virtual bool setUpdateInterval(int seconds) = 0;
    virtual bool reloadConfig() = 0;
    virtual bool isLoggerEnabled(LoggerId id) = 0;

    virtual uint64_t writtenRecordCount() = 0;
    virtual uint64_t writtenByteCount() = 0;
    virtual uint64_t pushedRecordCount() = 0;
    virtual uint64_t takenRecordCount() = 0;
    virtual int activeLoggerCount() = 0;

    virtual LogRecord* allocRecord(LoggerId id, int level) = 0;
    virtual void releaseRecord(LogRecord* record) = 0;
};

} // namespace filelog
