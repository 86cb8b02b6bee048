#include "logrecord.h"

#include <algorithm>
#include <cstdio>

namespace filelog {

const char* levelName(int level)
{
    static const char* const names[] = {
        "LOG_TRACE", "LOG_DEBUG", "LOG_INFO", "LOG_WARN", "LOG_ERROR", "LOG_ALARM", "LOG_FATAL",
    };
    return names[std::clamp(level, 0, 6)];
}

void appendRecordTextV(LogRecord* record, const char* format, va_list args)
{
    record->length = std::clamp(record->length, 0, LOG_RECORD_TEXT_SIZE - 1);
    const int room = LOG_RECORD_TEXT_SIZE - record->length;
    const int written = std::vsnprintf(record->text + record->length, room, format, args);
    if (written < 0) {
        record->text[record->length] = '\0';
        return;
    }
    record->length += std::min(written, room - 1);
}

void appendRecordText(LogRecord* record, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    appendRecordTextV(record, format, args);
    va_end(args);
}

} // namespace filelog
