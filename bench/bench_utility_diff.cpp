// Text diff: flagged words against their suggestion, and two long texts that differ in a few places,
// each against a plain compare and copy of the same texts.

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "diff.h"
#include "ratio.h"

namespace {

using Pair = std::pair<std::u16string, std::u16string>;

// Flagged words and the first suggestion as the checking service sends them.
const std::vector<Pair>& wordPairs()
{
    static const std::vector<Pair> pairs = {
        {u"他门", u"他们"},
        {u"在在", u"在"},
        {u"按装", u"安装"},
        {u"再接再励", u"再接再厉"},
        {u"一股作气", u"一鼓作气"},
        {u"地确", u"的确"},
        {u"迫不急待", u"迫不及待"},
        {u"，", u","},
        {u"我们的的工作", u"我们的工作"},
        {u"截止到目前为止", u"截至目前"},
        {u"做为", u"作为"},
        {u"既使", u"即使"},
        {u"重新从新开始", u"重新开始"},
        {u"（注", u"（注）"},
        {u"不径而走", u"不胫而走"},
        {u"美仑美奂", u"美轮美奂"},
    };
    return pairs;
}

// About 20,000 units of paragraphs, and a copy with a hundred corrections spread over it.
const Pair& longPair()
{
    static const Pair pair = [] {
        std::mt19937 rng(2026);
        const std::u16string pool = u"的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量都两体制机当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形相全表间样与关各重新线内数正心反你明看原又么利比或但质气第向道命此变条只没结解问意建月公无系军很情者最立代想已通并提直题党程展五果料象员革位入常文总次品式活设及管特件长求老头基资边流路级少图山统接知较将组见计别她手角期根论运农指几九区强放决西被干做必战先回则任取据处府理世";
        std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
        std::u16string text;
        while (text.size() < 20000) {
            for (int i = 0; i < 60; ++i)
                text += pool[pick(rng)];
            text += u"。\n";
        }
        std::u16string corrected = text;
        std::uniform_int_distribution<size_t> where(0, corrected.size() - 4);
        for (int i = 0; i < 100; ++i)
            corrected.replace(where(rng), 2, 1, pool[pick(rng)]);
        return Pair{std::move(text), std::move(corrected)};
    }();
    return pair;
}

void DiffWordPairs(benchmark::State& state)
{
    const TextDiff differ;
    for (auto _ : state) {
        for (const Pair& p : wordPairs())
            benchmark::DoNotOptimize(differ.diff(p.first, p.second));
    }
    state.counters["per_pair"] = benchmark::Counter(double(wordPairs().size()),
                                                    benchmark::Counter::kIsIterationInvariantRate
                                                        | benchmark::Counter::kInvert);
}
BENCHMARK(DiffWordPairs);

void CompareWordPairs(benchmark::State& state)
{
    for (auto _ : state) {
        for (const Pair& p : wordPairs()) {
            std::u16string copy = p.second;
            benchmark::DoNotOptimize(p.first.compare(copy));
            benchmark::DoNotOptimize(copy);
        }
    }
    state.counters["per_pair"] = benchmark::Counter(double(wordPairs().size()),
                                                    benchmark::Counter::kIsIterationInvariantRate
                                                        | benchmark::Counter::kInvert);
}
BENCHMARK(CompareWordPairs);

void DiffLongTexts(benchmark::State& state)
{
    const TextDiff differ;   // the one-second deadline of every use in the program
    const Pair& p = longPair();
    for (auto _ : state)
        benchmark::DoNotOptimize(differ.diff(p.first, p.second));
}
BENCHMARK(DiffLongTexts)->Unit(benchmark::kMillisecond);

void CompareLongTexts(benchmark::State& state)
{
    const Pair& p = longPair();
    for (auto _ : state) {
        std::u16string copy = p.second;
        benchmark::DoNotOptimize(p.first.compare(copy));
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(CompareLongTexts)->Unit(benchmark::kMillisecond);

} // namespace

KORRELO_BENCH_RATIO(diff_word_pairs, "DiffWordPairs", "CompareWordPairs");
KORRELO_BENCH_RATIO(diff_20000_units, "DiffLongTexts", "CompareLongTexts");

KORRELO_BENCH_MAIN()
