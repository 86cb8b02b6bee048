#pragma once

// Shared main for the benchmark programs: runs every registered benchmark, then prints one line
// per declared pair, "ratio <label>: <subject time / baseline time> (<subject> against <baseline>)",
// both measured in this run.
// Absolute timings differ from machine to machine; the ratio is what we compare over time.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace korrelo_bench {

struct RatioPair
{
    std::string label;
    std::string subject;   // benchmark name as registered (with its argument suffix, if any)
    std::string baseline;
};

inline std::vector<RatioPair>& ratioPairs()
{
    static std::vector<RatioPair> pairs;
    return pairs;
}

// Declares a ratio line; call before RunBenchmarks (e.g. from a static initialiser).
inline bool declareRatio(std::string label, std::string subject, std::string baseline)
{
    ratioPairs().push_back({std::move(label), std::move(subject), std::move(baseline)});
    return true;
}

class CollectingReporter : public benchmark::ConsoleReporter
{
public:
    // Plain output: colour codes would hide the ratio lines from a line-oriented reader.
    CollectingReporter() : benchmark::ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.iterations > 0 && !run.error_occurred)
                times[run.benchmark_name()] = {run.GetAdjustedRealTime(), benchmark::GetTimeUnitString(run.time_unit)};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    struct Time
    {
        double value = 0;
        const char* unit = "";
    };
    std::map<std::string, Time> times;
};

// Nanoseconds in one of the given unit over those in the other.
inline double scale(const std::string& unit, const std::string& other)
{
    auto ns = [](const std::string& u) { return u == "s" ? 1e9 : u == "ms" ? 1e6 : u == "us" ? 1e3 : 1.0; };
    return ns(unit) / ns(other);
}

inline int runWithRatios(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (const RatioPair& pair : ratioPairs()) {
        auto subject = reporter.times.find(pair.subject);
        auto baseline = reporter.times.find(pair.baseline);
        if (subject == reporter.times.end() || baseline == reporter.times.end() || baseline->second.value <= 0) {
            std::printf("ratio %s: not measured\n", pair.label.c_str());
            continue;
        }
        const auto& [time, unit] = subject->second;
        const auto& [floor, floorUnit] = baseline->second;
        // The absolute figures beside the ratio, each in its benchmark's unit.
        std::printf("ratio %s: %.3f (%.3f %s against %.3f %s)\n", pair.label.c_str(),
                    time / floor * scale(unit, floorUnit), time, unit, floor, floorUnit);
    }
    return 0;
}

} // namespace korrelo_bench

#define KORRELO_BENCH_RATIO(label, subject, baseline) \
    static const bool korrelo_ratio_##label = korrelo_bench::declareRatio(#label, subject, baseline)

#define KORRELO_BENCH_MAIN() \
    int main(int argc, char** argv) { return korrelo_bench::runWithRatios(argc, argv); }
