#pragma once

#include <cstdint>
#include <ctime>

namespace filelog {

// Local time of a second, converted once per thread and second. Records come many to the second,
// and each conversion takes the C library's time-zone lock, which producers and the writer share.
class LocalTimeCache
{
public:
    struct Entry
    {
        int64_t second = INT64_MIN;
        std::tm local{};
        char stamp[48] = {};   // "yyyy-mm-dd hh:mm:ss." of a record's prefix
        int stampLength = 0;
        // The zone the conversion was made in: a tzset() with another zone starts again.
        long zoneOffset = 0;
        const char* zoneNames[2] = {nullptr, nullptr};
    };

    // The calling thread's conversion of the second; valid until its next call.
    static const Entry& at(int64_t seconds);
};

} // namespace filelog
