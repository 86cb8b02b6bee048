#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace korrelo_service {

// One finding of the checker: the flagged text, its place in UTF-16 units (end inclusive),
// its level and error-type code, the suggested replacements, and whether only VIP accounts see it.
struct Finding
{
    std::string words;
    uint32_t begin = 0;
    uint32_t end = 0;
    int level = 0;
    int type = 0;
    std::vector<std::string> suggestions;
    bool vipOnly = false;
};

// What the client asked for with one piece.
struct CheckOptions
{
    bool allTypes = true;           // no "check" field: every type
    std::set<int> types;            // the "check" field
    std::set<int> dicts{101};       // the "dict_id" field
    int minLevel = 0;               // the "min_error_level" field
    std::vector<std::string> userWords;   // the account's own dictionary
};

// One row of the table of misspellings and confusions.
struct ConfusionEntry
{
    const char* wrong;
    const char* right;
    int type;
    int level;
    int dict;
    bool vipOnly;
};

// The deterministic checker: a table of misspellings, repeated characters, unpaired brackets
// and quotes, and half-width punctuation in Chinese text. The rules are listed in checker.cpp.
class Checker
{
public:
    Checker();

    std::vector<Finding> check(const std::string& utf8, const CheckOptions& options) const;

    static const std::vector<ConfusionEntry>& table();

private:
    struct Pattern
    {
        std::u32string wrong;
        const ConfusionEntry* entry;
    };
    // Patterns by first code point, longest first, so one lookup per position.
    std::vector<std::pair<char32_t, std::vector<Pattern>>> index;
    std::vector<std::u32string> repeatExceptions;

    const std::vector<Pattern>* patternsFor(char32_t first) const;
};

} // namespace korrelo_service
