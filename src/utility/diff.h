#pragma once

#include <chrono>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "utility_export.h"

enum DiffOp
{
    DIFF_DELETE = 0,   // text only in the first text
    DIFF_INSERT = 1,   // text only in the second text
    DIFF_EQUAL = 2     // text common to both
};

// One run of a diff result; all lengths are UTF-16 code units.
struct UTILITY_EXPORT Diff
{
    Diff() = default;
    Diff(DiffOp op, std::u16string str) : operation(op), text(std::move(str)) {}

    bool operator==(const Diff& other) const { return operation == other.operation && text == other.text; }
    bool operator!=(const Diff& other) const { return !(*this == other); }

    DiffOp operation = DIFF_EQUAL;
    std::u16string text;
};

// Character diff of two UTF-16 texts: equalities and deletions rebuild the first text, equalities and
// insertions the second. Bisection of the middle snake, with prefix/suffix stripping, a half-match
// shortcut and a line mode for long texts, followed by merging and readability clean-ups.
class UTILITY_EXPORT TextDiff
{
public:
    using Clock = std::chrono::steady_clock;
    // Empty when the diff may take as long as it needs.
    using Deadline = std::optional<Clock::time_point>;

    // Seconds one diff may spend before settling for a coarser result; 0 or less means no limit.
    float timeout = 1.0f;
    // Settings of the matching and patching family; carried for callers, unused by the diff itself.
    uint16_t editCost = 4;
    float matchThreshold = 0.5f;
    int32_t matchDistance = 1000;
    float patchDeleteThreshold = 0.5f;
    uint16_t patchMargin = 4;
    uint16_t matchMaxBits = 32;

    // The diff of text1 against text2 under `timeout`, in line mode where it pays. No run is empty and
    // no run starts or ends between the two halves of a surrogate pair.
    std::list<Diff> diff(const std::u16string& text1, const std::u16string& text2) const;

    Deadline deadline() const;

    // The steps, usable on their own.
    static std::list<Diff> diffMain(const std::u16string& text1, const std::u16string& text2, bool checkLines,
                                    const Deadline& deadline);
    static std::list<Diff> computeDiff(const std::u16string& text1, const std::u16string& text2, bool checkLines,
                                       const Deadline& deadline);
    static size_t commonPrefixLength(std::u16string_view text1, std::u16string_view text2);
    static size_t commonSuffixLength(std::u16string_view text1, std::u16string_view text2);

    struct HalfMatch
    {
        std::u16string text1A, text1B, text2A, text2B, middle;
    };
    static std::optional<HalfMatch> findHalfMatch(const std::u16string& text1, const std::u16string& text2);
    // Pieces in the order long prefix, long suffix, short prefix, short suffix, middle.
    static std::optional<HalfMatch> halfMatchAt(const std::u16string& longText, const std::u16string& shortText,
                                                size_t i);

    static std::list<Diff> diffByLines(const std::u16string& text1, const std::u16string& text2,
                                       const Deadline& deadline);

    struct LineCodes
    {
        std::u16string codes1;
        std::u16string codes2;
        std::vector<std::u16string> lines;   // lines[code]; entry 0 is unused
    };
    // Codes run from 1 to 65535; once they would run out, the rest of a text becomes one last line.
    static LineCodes linesToCodes(const std::u16string& text1, const std::u16string& text2);
    static void codesToLines(std::list<Diff>& diffs, const std::vector<std::u16string>& lines);

    static std::list<Diff> bisectDiff(const std::u16string& text1, const std::u16string& text2,
                                      const Deadline& deadline);
    static std::list<Diff> splitAndDiff(const std::u16string& text1, const std::u16string& text2, size_t x,
                                        size_t y, const Deadline& deadline);

    static void mergeCleanup(std::list<Diff>& diffs);
    static void semanticCleanup(std::list<Diff>& diffs);
    static void losslessCleanup(std::list<Diff>& diffs);
    // Moves any run boundary that falls between a high and a low surrogate into the edits.
    static void surrogateCleanup(std::list<Diff>& diffs);

    static int boundaryScore(std::u16string_view one, std::u16string_view two);
    static size_t commonOverlapLength(std::u16string_view text1, std::u16string_view text2);
};
