#pragma once

// The service's error ids with their user-facing messages, the names of the error-type codes and
// the parsers of comma-separated code and dictionary lists.

#include <set>
#include <string>
#include <vector>

#include "utility_export.h"

// Error-type codes the service attaches to a flagged passage; the enumerator names are the texts
// GetCheckWhatString gives (spelling included).
enum CHECK_WHAT : int
{
    UNKOWN = 0,
    TONG_YIN = 1,
    XING_JIN = 2,
    YIN_JIN = 3,
    SKIP = 4,
    CUO_CI_KU = 5,
    JI_CHU_CUO_CI_KU = 6,
    DAN_ZI = 21,
    CHONG_FU = 22,
    FEI_CHANG_YONG = 23,
    QUE_KONG_GE = 24,
    ERROR_FULLWIDTH_ASCII = 25,
    ZI = 26,
    MIN_GAN_CI = 31,
    REN_MING = 32,
    ZHI_WU = 33,
    LING_DAO_PAI_XU = 34,
    BIAO_DIAN_BU_PI_PEI = 41,
    BIAO_DIAN = 42,
    BIAO_DIAN_DUO_YU = 43,
    SHU_ZI = 51,
    DI_MING = 61,
};

// A compact JSON object {"error_id": id, "error_msg": message}; the message is empty for an id
// without one.
UTILITY_EXPORT std::string GetErrorMsg(std::string errorId);
// The name of a known code, "" for any other value.
UTILITY_EXPORT std::string GetCheckWhatString(int code);
// Parse comma-separated codes ("1,2,21"), ignoring junk and values <= 0, appending to whatever the
// container already holds; true if it is non-empty afterwards.
UTILITY_EXPORT bool SplitCheckWhat(std::string text, std::vector<int>& codes);
UTILITY_EXPORT bool SplitDictIDs(std::string text, std::set<int>& ids);
