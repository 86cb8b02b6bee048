// Checks per second of the local service's checker on 3000-character pieces, against a plain
// scan (decoding the same text and counting Han characters).

#include "ratio.h"

#include "checker.h"
#include "replywriter.h"
#include "scannedtext.h"

#include <string>

using namespace korrelo_service;

namespace {

// A 3000-character piece of ordinary prose with a few errors of every kind mixed in.
std::string piece()
{
    const std::string sentences[] = {
        "今天天气很好，我们一起去公园散步。", "他门说这个问题以经解决了。", "这是我的的书，请你还给我。",
        "《现代汉语词典》是一本好书。", "会议将在下午三点开始,请准时参加。", "我们应该再接再励，争取更大的进步。",
        "研究表明，阅读可以开阔视野（尤其是经典著作）。", "“你好”，她笑着说。",
    };
    std::string text;
    size_t characters = 0;
    for (size_t i = 0; characters < 3000; ++i) {
        const std::string& s = sentences[i % std::size(sentences)];
        text += s;
        characters += ScannedText(s).size();
    }
    const std::u32string all = ScannedText::toUtf32(text);
    return ScannedText::toUtf8(all.substr(0, 3000));
}

const std::string kPiece = piece();

void BM_PlainScan(benchmark::State& state)
{
    for (auto _ : state) {
        const ScannedText text(kPiece);
        size_t han = 0;
        for (size_t i = 0; i < text.size(); ++i)
            han += ScannedText::isHan(text.at(i));
        benchmark::DoNotOptimize(han);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlainScan);

void BM_Check(benchmark::State& state)
{
    const Checker checker;
    CheckOptions options;
    options.minLevel = 3;
    for (auto _ : state) {
        auto findings = checker.check(kPiece, options);
        benchmark::DoNotOptimize(findings.data());
    }
    state.SetItemsProcessed(state.iterations());   // items/s = checks per second
}
BENCHMARK(BM_Check);

void BM_CheckAndReply(benchmark::State& state)
{
    const Checker checker;
    CheckOptions options;
    options.minLevel = 3;
    for (auto _ : state) {
        const std::string reply = ReplyWriter::checkReply(checker.check(kPiece, options), 0, "http://127.0.0.1/vip/");
        benchmark::DoNotOptimize(reply.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CheckAndReply);

} // namespace

KORRELO_BENCH_RATIO(check_vs_plain_scan, "BM_Check", "BM_PlainScan");
KORRELO_BENCH_RATIO(check_and_reply_vs_plain_scan, "BM_CheckAndReply", "BM_PlainScan");

KORRELO_BENCH_MAIN()
