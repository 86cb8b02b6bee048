#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>

namespace filelog {

// A log file a logger opened during this run, for removal after the reserve time.
struct LogFileEntry
{
    int64_t openTime = 0;   // seconds since 1970-01-01 UTC
    std::string path;
};

// Settings and file state of one logger.
// The flags producers test on every call are atomics; the rest is touched only under the
// manager's logger lock.
struct LoggerSettings
{
    std::string key;
    std::string name;
    std::string path = "./log/";
    std::atomic<int> level{1};
    std::atomic<bool> display{true};
    std::atomic<bool> outfile{true};
    bool monthdir = false;
    int limitsize = 100;               // megabytes per file; negative: never roll by size
    std::atomic<bool> enable{false};
    std::atomic<bool> fileline{false};
    int64_t reserve = 0;               // seconds an old file survives; 0: kept for ever

    // The file's state: written by the writer for every record, hence apart from the flags.
    alignas(64) FILE* file = nullptr;
    std::unique_ptr<char[]> fileBuffer;   // the writer's stdio buffer of file, kept across files
    int fileDay = -1;                  // local date (yyyymmdd) the current file belongs to
    unsigned fileIndex = 0;
    int64_t writtenBytes = 0;
    std::deque<LogFileEntry> history;  // oldest first
};

} // namespace filelog
