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

int wholeCharacterLength(const char* text, int length)
{
    // Only the last three bytes can belong to an unfinished sequence.
    for (int back = 1; back <= 3 && back <= length; ++back) {
        const auto byte = static_cast<unsigned char>(text[length - back]);
        if ((byte & 0xC0) == 0x80)
            continue;   // continuation byte: its lead is further back
        const int needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return needed > back ? length - back : length;
    }
    return length;
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
    if (written < room) {
        record->length += written;
        return;
    }
    const int start = record->length;
    record->length = start + wholeCharacterLength(record->text + start, room - 1);
    record->text[record->length] = '\0';
}

void appendRecordText(LogRecord* record, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    appendRecordTextV(record, format, args);
    va_end(args);
}

} // namespace filelog
