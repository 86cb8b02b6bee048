#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <vector>

#include "utility_export.h"

class CheckData;
struct Diff;

// Which occurrences of a result's words the service flagged. A text like 的的 can stand both
// where it is wrong and inside a correct word (的的确确), so only the occurrences at the result's
// positions are marked. They are kept as ordinals, counted left to right without overlap in the
// text that was checked; trackers turn them into places once and follow the places from then on.
// A result without positions stands for every occurrence.
class UTILITY_EXPORT FlaggedOccurrences
{
public:
    FlaggedOccurrences() = default;
    FlaggedOccurrences(const std::u16string& checked, const CheckData& data);

    bool everyOccurrence() const { return all; }
    const std::vector<size_t>& ordinals() const { return flagged; }
    // Where the flagged occurrences of words start in text, counted as in the checked text.
    std::vector<size_t> startsIn(const std::u16string& text, const std::u16string& words) const;
    // Where the flagged occurrences of words in checked stand after edits, the diff of checked
    // against the edited text; one whose own characters were edited is left out, and so is one the
    // diff cannot tell from equal text put in right beside it. Unlike startsIn,
    // an occurrence edited away hands its mark to no other one. Without positions, every occurrence
    // in checked that the edits left alone.
    std::vector<size_t> startsAfterEdits(const std::u16string& checked, const std::list<Diff>& edits,
                                         const std::u16string& words) const;

    // Where words stands in text, left to right without overlap.
    static std::vector<size_t> find(const std::u16string& text, const std::u16string& words);

private:
    bool all = true;
    std::vector<size_t> flagged;
};
