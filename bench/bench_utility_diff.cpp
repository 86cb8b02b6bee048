// Text diff: the changed characters of flagged words against their first suggestion, and two long
// texts that differ in a few places, each against a plain compare and copy of the same texts.

#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "checkdata.h"
#include "dataitem.h"
#include "diff.h"
#include "ratio.h"

namespace {

using Pair = std::pair<std::u16string, std::u16string>;

// Flagged words and the first suggestion as the checking service sends them (UTF-8).
const std::vector<std::pair<std::string, std::string>>& wordPairs()
{
    static const std::vector<std::pair<std::string, std::string>> pairs = {
        {"他门", "他们"},
        {"在在", "在"},
        {"按装", "安装"},
        {"再接再励", "再接再厉"},
        {"一股作气", "一鼓作气"},
        {"地确", "的确"},
        {"迫不急待", "迫不及待"},
        {"，", ","},
        {"我们的的工作", "我们的工作"},
        {"截止到目前为止", "截至目前"},
        {"做为", "作为"},
        {"既使", "即使"},
        {"重新从新开始", "重新开始"},
        {"（注", "（注）"},
        {"不径而走", "不胫而走"},
        {"美仑美奂", "美轮美奂"},
    };
    return pairs;
}

std::vector<CheckData> flaggedItems()
{
    std::vector<CheckData> items;
    uint32_t at = 120;
    for (const auto& [words, suggestion] : wordPairs()) {
        CheckData item;
        item.words = words;
        item.pos.push_back({at, at + 3});
        item.dataItem = std::make_shared<DataItem>();
        item.dataItem->addValue(suggestion, 12);
        items.push_back(item);
        at += 40;
    }
    return items;
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

void DiffPositionsOfWordPairs(benchmark::State& state)
{
    std::vector<CheckData> items = flaggedItems();
    for (auto _ : state) {
        for (CheckData& item : items) {
            // The positions are cached in the item; forget them so each round diffs again.
            item.diffPos.clear();
            item.diffStr.clear();
            benchmark::DoNotOptimize(item.getDiffPos());
        }
    }
    state.counters["per_pair"] = benchmark::Counter(double(items.size()),
                                                    benchmark::Counter::kIsIterationInvariantRate
                                                        | benchmark::Counter::kInvert);
}
BENCHMARK(DiffPositionsOfWordPairs);

void CompareWordPairs(benchmark::State& state)
{
    for (auto _ : state) {
        for (const auto& p : wordPairs()) {
            std::string copy = p.second;
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

KORRELO_BENCH_RATIO(diff_positions_word_pairs, "DiffPositionsOfWordPairs", "CompareWordPairs");
KORRELO_BENCH_RATIO(diff_20000_units, "DiffLongTexts", "CompareLongTexts");

KORRELO_BENCH_MAIN()
