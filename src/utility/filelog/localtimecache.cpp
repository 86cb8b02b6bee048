#include "localtimecache.h"

#include <cstdio>

namespace filelog {

const LocalTimeCache::Entry& LocalTimeCache::at(int64_t seconds)
{
    thread_local Entry entry;
    if (entry.second == seconds && entry.zoneOffset == timezone && entry.zoneNames[0] == tzname[0]
        && entry.zoneNames[1] == tzname[1])
        return entry;

    const std::time_t time = static_cast<std::time_t>(seconds);
    entry.local = std::tm{};
    localtime_r(&time, &entry.local);
    // Read after the conversion, which sets the zone up on its first use.
    entry.zoneOffset = timezone;
    entry.zoneNames[0] = tzname[0];
    entry.zoneNames[1] = tzname[1];
    entry.second = seconds;
    const std::tm& local = entry.local;
    const int length = std::snprintf(entry.stamp, sizeof entry.stamp, "%04d-%02d-%02d %02d:%02d:%02d.",
                                     local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                     local.tm_min, local.tm_sec);
    entry.stampLength = length < 0 ? 0 : length;
    return entry;
}

} // namespace filelog
