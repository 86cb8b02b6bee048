#pragma once

#include <cstdarg>
#include <cstdint>

namespace filelog {

using LoggerId = int;

// Loggers have fixed ids 0..LOGGER_MAX-1; id 0 is the main logger.
constexpr int LOGGER_MAX = 20;
constexpr LoggerId MAIN_LOGGER_ID = 0;

// Bytes of text in one record, terminating zero included.
constexpr int LOG_RECORD_TEXT_SIZE = 8192;

enum LogLevel {
    LOG_LEVEL_TRACE = 0,
    LOG_LEVEL_DEBUG,
    LOG_LEVEL_INFO,
    LOG_LEVEL_WARN,
    LOG_LEVEL_ERROR,
    LOG_LEVEL_ALARM,
    LOG_LEVEL_FATAL,
};

// Numbers of the setting changes carried through the writer thread (changeType of a record).
enum LogChange {
    LOG_CHANGE_NONE = 0,
    LOG_CHANGE_ENABLE,
    LOG_CHANGE_NAME,
    LOG_CHANGE_PATH,
    LOG_CHANGE_LEVEL,
    LOG_CHANGE_FILELINE,
    LOG_CHANGE_DISPLAY,
    LOG_CHANGE_OUTFILE,
    LOG_CHANGE_LIMITSIZE,
    LOG_CHANGE_MONTHDIR,
    LOG_CHANGE_RESERVE,
};

// One log record or one setting change; records are reused through the manager's pool.
struct LogRecord
{
    int loggerId;
    int changeType;
    int changeValue;
    int level;
    int64_t time;          // seconds since 1970-01-01 UTC
    int milliseconds;
    int threadId;
    int length;            // bytes used in text, terminating zero not counted
    char text[LOG_RECORD_TEXT_SIZE];
};

// "LOG_TRACE" ... "LOG_FATAL"; levels outside 0..6 take the nearest name.
const char* levelName(int level);

// Appends formatted text to the record, cut so that the text with its terminating zero stays
// within the record; a formatting error appends nothing.
// The longest prefix of text[0, length) that does not end inside a UTF-8 sequence, so that a cut
// record stays readable.
int wholeCharacterLength(const char* text, int length);

void appendRecordText(LogRecord* record, const char* format, ...) __attribute__((format(printf, 2, 3)));
void appendRecordTextV(LogRecord* record, const char* format, va_list args);

} // namespace filelog
