// Converting a check reply into results, against parsing the same bytes into a bare JSON DOM.

#include <rapidjson/document.h>

#include <string>

#include "checkdata.h"
#include "jsonconvert.h"
#include "ratio.h"

namespace {

// A reply of the size one page of text gives: 100 findings spread over a 3000-character piece,
// each with its positions and three suggestions.
std::string realisticReply()
{
    std::string json = R"({"vip_error_count":0,"check_data":[)";
    for (int k = 0; k < 100; ++k) {
        const int begin = k * 30 + 3;
        if (k)
            json += ',';
        json += R"({"words":"他门在","key":"w)" + std::to_string(k) + R"(","error_level":)" + std::to_string(k % 5)
            + R"(,"error_type":[1,21],"pos":[{"index_begin":)" + std::to_string(begin) + R"(,"index_end":)"
            + std::to_string(begin + 2) + R"(},{"index_begin":)" + std::to_string(begin + 10)
            + R"(,"index_end":)" + std::to_string(begin + 12)
            + R"(}],"data_item":{"key":"他门在","values":[{"value":"他们在","frequency":12},)"
              R"({"value":"她们在","frequency":3},{"value":"它们在","frequency":1}]}})";
    }
    json += "]}";
    return json;
}

const std::string& reply()
{
    static const std::string json = realisticReply();
    return json;
}

void BM_JSONToCheckData(benchmark::State& state)
{
    std::string json = reply();
    for (auto _ : state) {
        CHECK_DATAS items;
        _CHECK_OTHER_DATA_ other;
        benchmark::DoNotOptimize(JSONToCheckData(json, items, other));
        benchmark::DoNotOptimize(items.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(json.size()));
}
BENCHMARK(BM_JSONToCheckData);

// Same flags as the conversion uses, so the ratio shows what building the results costs.
void BM_RapidJsonParse(benchmark::State& state)
{
    const std::string& json = reply();
    for (auto _ : state) {
        rapidjson::Document doc;
        doc.Parse<rapidjson::kParseIterativeFlag>(json.data(), json.size());
        benchmark::DoNotOptimize(doc.HasParseError());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(json.size()));
}
BENCHMARK(BM_RapidJsonParse);

} // namespace

KORRELO_BENCH_RATIO(json_to_check_data, "BM_JSONToCheckData", "BM_RapidJsonParse");
KORRELO_BENCH_MAIN()
