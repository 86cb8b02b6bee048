#include "flaggedoccurrences.h"

#include <algorithm>
#include <utility>

#include "checkdata.h"
#include "diff.h"
#include "strconvert.h"

FlaggedOccurrences::FlaggedOccurrences(const std::u16string& checked, const CheckData& data)
{
    if (data.pos.empty())
        return;
    all = false;
    const std::u16string words = toWString(data.words);
    const std::vector<size_t> starts = find(checked, words);
    for (size_t ordinal = 0; ordinal < starts.size(); ++ordinal) {
        const size_t first = starts[ordinal];
        const size_t last = first + words.size() - 1;
        // Overlap rather than equality: a result in several parts points into its words.
        const bool hit = std::any_of(data.pos.begin(), data.pos.end(), [&](const _CHECK_DATA_POS_& p) {
            return p.begin <= last && p.end >= first && p.begin <= p.end;
        });
        if (hit)
            flagged.push_back(ordinal);
    }
}

std::vector<size_t> FlaggedOccurrences::startsIn(const std::u16string& text, const std::u16string& words) const
{
    std::vector<size_t> starts = find(text, words);
    if (all)
        return starts;
    std::vector<size_t> kept;
    for (size_t ordinal : flagged) {
        if (ordinal < starts.size())
            kept.push_back(starts[ordinal]);
    }
    return kept;
}

namespace {
// Stretches of the edited text that the diff may have taken for unchanged although they could as
// well be what was typed: text put in beside equal text can be told apart from it by no diff (他门
// typed before 他门). Each inserted run may slide over the equal units around it; the units it can
// slide onto are in doubt.
std::vector<std::pair<size_t, size_t>> doubtfulRuns(const std::list<Diff>& edits)
{
    std::u16string text;
    std::vector<std::pair<size_t, size_t>> inserted;
    for (const Diff& run : edits) {
        if (run.operation == DIFF_INSERT && !run.text.empty())
            inserted.emplace_back(text.size(), text.size() + run.text.size());
        if (run.operation != DIFF_DELETE)
            text += run.text;
    }
    std::vector<std::pair<size_t, size_t>> doubtful;
    for (const auto& [start, end] : inserted) {
        size_t left = 0;
        while (left < start && text[start - 1 - left] == text[end - 1 - left])
            ++left;
        size_t right = 0;
        while (end + right < text.size() && text[start + right] == text[end + right])
            ++right;
        if (left > 0)
            doubtful.emplace_back(start - left, start);
        if (right > 0)
            doubtful.emplace_back(end, end + right);
    }
    return doubtful;
}
}

std::vector<size_t> FlaggedOccurrences::startsAfterEdits(const std::u16string& checked, const std::list<Diff>& edits,
                                                         const std::u16string& words) const
{
    const std::vector<size_t> before = startsIn(checked, words);
    const std::vector<std::pair<size_t, size_t>> doubtful = doubtfulRuns(edits);
    const auto inDoubt = [&](size_t start) {
        return std::any_of(doubtful.begin(), doubtful.end(), [&](const std::pair<size_t, size_t>& run) {
            return start < run.second && start + words.size() > run.first;
        });
    };
    // Walk the runs of the diff; an occurrence survives when it lies inside one unchanged run.
    std::vector<size_t> after;
    size_t inChecked = 0;
    size_t inText = 0;
    auto next = before.begin();
    for (const Diff& run : edits) {
        const size_t length = run.text.size();
        if (run.operation == DIFF_EQUAL) {
            for (; next != before.end() && *next + words.size() <= inChecked + length; ++next) {
                const size_t start = inText + (*next - inChecked);
                if (*next >= inChecked && !inDoubt(start))
                    after.push_back(start);
            }
        }
        if (run.operation != DIFF_INSERT) {
            inChecked += length;
            // Those starting in a changed run, or reaching out of the unchanged one, are gone.
            while (next != before.end() && *next < inChecked)
                ++next;
        }
        if (run.operation != DIFF_DELETE)
            inText += length;
    }
    return after;
}

std::vector<size_t> FlaggedOccurrences::find(const std::u16string& text, const std::u16string& words)
{
    std::vector<size_t> starts;
    if (words.empty())
        return starts;
    for (size_t at = text.find(words); at != std::u16string::npos; at = text.find(words, at + words.size()))
        starts.push_back(at);
    return starts;
}
