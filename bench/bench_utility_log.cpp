// Logging in queued mode: records per second as the caller sees them (flow control included,
// so a writer that falls behind slows the callers down), against a bare fwrite of the same bytes.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "filelog/logermanager.h"
#include "ratio.h"

namespace {

const char MESSAGE[] = "[checker] piece 3 of 10 checked: 17 errors, 42 suggestions, 2961 characters";

// A temporary folder removed with everything in it at exit.
class Folder
{
public:
    Folder()
    {
        char pattern[] = "/tmp/korrelo-bench-log-XXXXXX";
        if (mkdtemp(pattern))
            path = pattern;
    }
    ~Folder()
    {
        std::error_code error;
        if (!path.empty())
            std::filesystem::remove_all(path, error);
    }
    std::string path;
};

Folder& folder()
{
    static Folder folder;
    return folder;
}

void LogQueued(benchmark::State& state)
{
    auto manager = std::make_unique<filelog::LogerManager>();
    manager->setLoggerPath(0, (folder().path + "/main").c_str());
    manager->setLoggerDisplay(0, false);
    const filelog::LoggerId id = manager->createLogger("bench");
    manager->setLoggerPath(id, (folder().path + "/bench").c_str());
    manager->setLoggerDisplay(id, false);
    manager->setSynchronous(false);
    if (!manager->start()) {
        state.SkipWithError("the writer thread did not start");
        return;
    }
    for (auto _ : state) {
        if (!manager->acceptsLog(id, filelog::LOG_LEVEL_INFO))
            continue;
        filelog::LogRecord* record = manager->allocRecord(id, filelog::LOG_LEVEL_INFO);
        std::memcpy(record->text + record->length, MESSAGE, sizeof MESSAGE);
        record->length += static_cast<int>(sizeof MESSAGE - 1);
        manager->submitRecord(record, nullptr, 0);
    }
    state.SetItemsProcessed(state.iterations());
    manager->stop();   // drains the queue
}
BENCHMARK(LogQueued);

void FwriteSameBytes(benchmark::State& state)
{
    const std::string line = "2019-08-15 13:45:30.123 [12345] LOG_INFO " + std::string(MESSAGE) + "\r\n";
    const std::string path = folder().path + "/plain.log";
    FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) {
        state.SkipWithError("cannot open the file");
        return;
    }
    for (auto _ : state)
        std::fwrite(line.data(), 1, line.size(), file);
    state.SetItemsProcessed(state.iterations());
    std::fclose(file);
    std::remove(path.c_str());
}
BENCHMARK(FwriteSameBytes);

} // namespace

KORRELO_BENCH_RATIO(log_queued_vs_fwrite, "LogQueued", "FwriteSameBytes");
KORRELO_BENCH_MAIN()
