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
// text that was checked, so that a tracker finds them again by text after edits elsewhere.
// A result without positions stands for every occurrence.
class UTILITY_EXPORT FlaggedOccurrences
{
public:
    FlaggedOccurrences() = default;
    FlaggedOccurrences(const std::u16string& checked, const CheckData& data);

    bool everyOccurrence() const { return all; }
    bool contains(size_t ordinal) const;
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
    // Which occurrence of words in text starts at start; false when none does.
    static bool ordinalAt(const std::u16string& text, const std::u16string& words, size_t start, size_t& ordinal);

    // Edits a tracker makes itself, told here so that the ordinals go on naming the occurrences
    // the service meant. The occurrence stays in the text but is no longer flagged (let be):
    void unflag(size_t ordinal);
    // The occurrence left the text (corrected): those after it move down by one.
    void removeOccurrence(size_t ordinal);
    // An occurrence came into the text (a correction taken back): those from it on move up by one.
    void insertOccurrence(size_t ordinal, bool flaggedOne);

private:
    bool all = true;
    std::vector<size_t> flagged;
    std::vector<size_t> letBe;   // while every occurrence is flagged: those that no longer are
};
