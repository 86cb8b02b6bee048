#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "../wordobjects.h"
#include "word.h"

namespace sim_detail {

// A stretch of a document that follows its edits.
struct Anchor
{
    int start = 0;
    int end = 0;
};

// Formatting a search asks for or a replacement applies; unset parts do not count.
struct FontCriteria
{
    std::optional<int> underline;
    std::optional<int> color;
    bool any() const { return underline || color; }
    bool matches(const sim::Underline& u) const
    {
        return (!underline || *underline == u.style) && (!color || *color == u.color);
    }
};

// The text of one document with its per-unit underline, its live anchors (ranges, selection, page
// starts) and the unit, paragraph, sentence and page arithmetic the automation objects answer from.
class WordDocModel
{
public:
    WordDocModel();

    const std::u16string& text() const { return chars; }
    int length() const { return static_cast<int>(chars.size()); }
    int clamp(int position) const;

    // Replaces everything; formatting goes and every anchor collapses to 0.
    void setText(std::u16string text);
    // Replaces [start, end) with text formatted as given; the document's final "\r" stays.
    // Answers where the new text ends.
    int replace(int start, int end, const std::u16string& text, const sim::Underline& format);
    sim::Underline formatAt(int position) const;
    void setFormat(int start, int end, const FontCriteria& format);
    // The one underline of [start, end) (of the unit after start when collapsed); wdUndefined
    // parts where units differ.
    sim::Underline formatOf(int start, int end) const;

    std::shared_ptr<Anchor> anchor(int start, int end);
    Anchor& selection() { return *selectionAnchor; }

    void setPageStarts(const std::vector<int>& starts);
    std::vector<int> pageStarts() const;
    int pageCount() const { return static_cast<int>(pages.size()) + 1; }
    int pageOf(int position) const;
    int pageStart(int page) const;           // page clamped to [1, pageCount]

    int unitAfter(int position) const;       // length of the code point at position (0 at the end)
    int unitBefore(int position) const;
    std::pair<int, int> paragraphAt(int position) const;
    std::vector<std::pair<int, int>> paragraphsIn(int start, int end) const;
    int paragraphIndex(int position) const;  // from 0
    std::pair<int, int> paragraphByIndex(int index) const;
    int paragraphCount() const;
    std::pair<int, int> sentenceAt(int position) const;

    // Searches: text (empty: a run carrying the criteria), positions as described in word.h.
    // A run found by criteria alone is maximal; with wholeRuns it must also start at or after from
    // (end at or before `before`), else it is cut to the searched stretch. {-1, -1}: none.
    std::pair<int, int> findForward(const std::u16string& needle, int from, int to, bool matchCase,
                                    const FontCriteria& criteria, bool wholeRuns) const;
    std::pair<int, int> findBackward(const std::u16string& needle, int from, int before, bool matchCase,
                                     const FontCriteria& criteria, bool wholeRuns) const;

    std::vector<sim::UnderlineRun> underlineRuns() const;

private:
    bool matchesAt(const std::u16string& needle, int position, bool matchCase, const FontCriteria& criteria) const;
    bool carries(int position, const FontCriteria& criteria) const;
    void moveAnchors(int start, int end, int inserted);

    std::u16string chars;
    std::vector<sim::Underline> formats;
    std::vector<std::weak_ptr<Anchor>> anchors;
    std::vector<std::shared_ptr<Anchor>> pages;
    std::shared_ptr<Anchor> selectionAnchor;
};

} // namespace sim_detail
