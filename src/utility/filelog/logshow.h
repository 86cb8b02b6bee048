#pragma once

#include "utility_export.h"

// Kind of a message given to logShow: info, error or debug; any other value logs as info
// (the fixed underlying type makes such values valid).
enum _LOG_TYPE_ : int {
    LOG_TYPE_INFO = 1,
    LOG_TYPE_ERROR = 2,
    LOG_TYPE_DEBUG = 3,
};

// Switches all logging through logShow and logInit on or off (on at load).
UTILITY_EXPORT void logEnable(bool enable);

// Starts logging. Synchronous mode writes each record on the caller's thread, otherwise a background
// writer does. Either way the call then sleeps one second to let the engine settle before use.
UTILITY_EXPORT void logInit(bool synchronous);

// Logs "[tag] message" to the main logger; the first call starts the engine synchronously.
UTILITY_EXPORT void logShow(const char* tag, _LOG_TYPE_ type, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
