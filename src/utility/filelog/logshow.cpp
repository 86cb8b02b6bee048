#include "logshow.h"

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <mutex>
#include <thread>

#include "logermanager.h"

namespace {

std::atomic<bool> g_logEnabled{true};
std::once_flag g_logInitialised;

int levelOfType(_LOG_TYPE_ type)
{
    switch (type) {
    case LOG_TYPE_ERROR: return filelog::LOG_LEVEL_ERROR;
    case LOG_TYPE_DEBUG: return filelog::LOG_LEVEL_DEBUG;
    default: return filelog::LOG_LEVEL_INFO;
    }
}

} // namespace

void logEnable(bool enable)
{
    g_logEnabled = enable;
}

void logInit(bool synchronous)
{
    if (!g_logEnabled)
        return;
    filelog::LogerManager& manager = filelog::LogerManager::instance();
    manager.setSynchronous(synchronous);
    manager.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
}

void logShow(const char* tag, _LOG_TYPE_ type, const char* format, ...)
{
    if (!g_logEnabled)
        return;
    // Two threads logging first at the same moment start the engine once; the second waits.
    std::call_once(g_logInitialised, [] { logInit(true); });

    filelog::LogerManager& manager = filelog::LogerManager::instance();
    const int level = levelOfType(type);
    if (!manager.acceptsLog(filelog::MAIN_LOGGER_ID, level))
        return;
    filelog::LogRecord* record = manager.allocRecord(filelog::MAIN_LOGGER_ID, level);
    if (!record)
        return;
    filelog::appendRecordText(record, "[%s] ", tag ? tag : "");
    if (format) {
        va_list args;
        va_start(args, format);
        filelog::appendRecordTextV(record, format, args);
        va_end(args);
    }
    manager.submitRecord(record, nullptr, 0);
}
