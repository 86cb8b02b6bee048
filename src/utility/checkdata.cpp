#include "checkdata.h"

#include <algorithm>

#include "dataitem.h"
#include "dataitemvalue.h"
#include "diff.h"
#include "strconvert.h"

CheckData::CheckData() = default;
CheckData::CheckData(const CheckData& other) = default;
CheckData& CheckData::operator=(const CheckData& other) = default;
CheckData::~CheckData() = default;

void CheckData::changeErrorLevel(int delta)
{
    const long long level = static_cast<long long>(errorLevel) + delta;
    errorLevel = static_cast<int>(std::clamp(level, 0LL, 4LL));
}

CHECK_DATA_RANGE CheckData::isInRange(const std::vector<_CHECK_DATA_POS_>& ranges) const
{
    if (ranges.empty() || pos.empty())
        return RANGE_NONE;
    bool allApart = true;
    bool allSame = true;
    bool allInside = true;
    bool allContains = true;
    for (const _CHECK_DATA_POS_& o : pos) {
        for (const _CHECK_DATA_POS_& g : ranges) {
            const bool same = o.begin == g.begin && o.end == g.end;
            const bool inside = !same && g.begin <= o.begin && o.end <= g.end;
            const bool contains = !same && !inside && o.begin <= g.begin && g.end <= o.end;
            const bool apart = o.end < g.begin || g.end < o.begin;
            if (!same && !inside && !contains && !apart)
                return RANGE_OVERLAP;
            allApart = allApart && apart;
            allSame = allSame && same;
            allInside = allInside && inside;
            allContains = allContains && contains;
        }
    }
    if (allApart)
        return RANGE_NONE;
    if (allSame)
        return RANGE_SAME;
    if (allInside)
        return RANGE_INSIDE;
    if (allContains)
        return RANGE_CONTAINS;
    return RANGE_OVERLAP;
}

unsigned CheckData::getPosMin() const
{
    if (pos.empty())
        return 0xFFFFFFFFu;
    unsigned result = 0xFFFFFFFFu;
    for (const _CHECK_DATA_POS_& p : pos)
        result = std::min({result, p.begin, p.end});
    return result;
}

unsigned CheckData::getPosMax() const
{
    if (pos.empty())
        return 0xFFFFFFFFu;
    unsigned result = 0;
    for (const _CHECK_DATA_POS_& p : pos)
        result = std::max({result, p.begin, p.end});
    return result;
}

unsigned CheckData::getAllWordsLen()
{
    if (allWordsLen != -1)
        return static_cast<unsigned>(allWordsLen);
    unsigned sum = 0;
    for (unsigned n : wordsLen)
        sum += n;
    allWordsLen = static_cast<int>(sum);
    return sum;
}

bool CheckData::hasErrorType(int code) const
{
    return std::find(errorTypes.begin(), errorTypes.end(), code) != errorTypes.end();
}

std::vector<_CHECK_DATA_POS_>& CheckData::getDiffPos()
{
    if (!diffPos.empty() || words.empty() || !dataItem || dataItem->values.empty() || pos.empty())
        return diffPos;
    const DataItemValue* first = dataItem->values.front();
    const std::string suggestion = (first && first->value) ? first->value : "";

    TextDiff differ;
    differ.timeout = 1.0f;
    const std::list<Diff> diffs = differ.diff(toWString(words), toWString(suggestion));

    // Walk the flagged text in document coordinates; only what the suggestion deletes is marked.
    uint64_t cursor = pos.front().begin;
    for (const Diff& d : diffs) {
        const uint64_t length = d.text.size();
        if (d.operation == DIFF_INSERT || length == 0)
            continue;
        if (d.operation == DIFF_DELETE) {
            const uint64_t last = cursor + length - 1;
            if (last > 0xFFFFFFFFu)
                break;   // past the end of any text the service can address
            diffPos.push_back({static_cast<uint32_t>(cursor), static_cast<uint32_t>(last)});
            diffStr.push_back(toU8String(d.text));
        }
        cursor += length;
    }
    return diffPos;
}

std::vector<std::string>& CheckData::getDiffStr()
{
    if (diffStr.empty())
        getDiffPos();
    return diffStr;
}
