#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "utility_export.h"

class DataItem;

// A range of the checked text in UTF-16 code units, both ends inclusive.
struct _CHECK_DATA_POS_
{
    uint32_t begin = 0;
    uint32_t end = 0;
};

// How a result's ranges lie against given ranges (CheckData::isInRange).
enum CHECK_DATA_RANGE : int
{
    RANGE_NONE = 0,
    RANGE_INSIDE = 1,
    RANGE_CONTAINS = 2,
    RANGE_OVERLAP = 3,
    RANGE_SAME = 4,
};

// Reply-level data of one check reply.
struct _CHECK_OTHER_DATA_
{
    std::string error_id;
    std::string error_msg;
    int vip_error_count = 0;
};

// One flagged passage found by the service.
class UTILITY_EXPORT CheckData
{
public:
    CheckData();
    CheckData(const CheckData& other);
    CheckData& operator=(const CheckData& other);
    ~CheckData();

    // Moves the level by delta, kept within 0..4.
    void changeErrorLevel(int delta);
    CHECK_DATA_RANGE isInRange(const std::vector<_CHECK_DATA_POS_>& ranges) const;
    // Smallest / largest begin or end over pos; 0xFFFFFFFF when pos is empty.
    unsigned getPosMin() const;
    unsigned getPosMax() const;
    unsigned getAllWordsLen();
    bool hasErrorType(int code) const;
    // Where the top suggestion would delete characters of the flagged text, as document ranges (the
    // deleted pieces in getDiffStr), so only those get marked; worked out on first use and kept.
    std::vector<_CHECK_DATA_POS_>& getDiffPos();
    std::vector<std::string>& getDiffStr();

    std::string key;
    std::string words;
    std::string skipWords;
    int errorLevel = 0;
    std::shared_ptr<DataItem> dataItem;   // shared by copies
    std::vector<_CHECK_DATA_POS_> pos;
    std::vector<unsigned> wordsLen;
    std::vector<int> errorTypes;
    std::string extra;
    int allWordsLen = -1;
    std::vector<_CHECK_DATA_POS_> diffPos;
    std::vector<std::string> diffStr;
};

// The result list of one check.
using CHECK_DATAS = std::vector<std::shared_ptr<CheckData>>;
