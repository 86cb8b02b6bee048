#include "diff.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <stdexcept>
#include <unordered_map>
#include <wctype.h>

#include "textlocale.h"

namespace {

using DiffList = std::list<Diff>;
using View = std::u16string_view;

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool timeIsUp(const TextDiff::Deadline& deadline)
{
    return deadline && TextDiff::Clock::now() > *deadline;
}

// Character classes of the boundary score must not depend on the process locale.
bool isAlnumUnit(char16_t unit)
{
    return iswalnum_l(static_cast<wint_t>(unit), textLocale()) != 0;
}

bool isSpaceUnit(char16_t unit)
{
    return iswspace_l(static_cast<wint_t>(unit), textLocale()) != 0;
}

// "\n", an optional "\r", "\n" at the end of a text.
bool endsWithBlankLine(View text)
{
    size_t n = text.size();
    if (n < 2 || text[n - 1] != u'\n')
        return false;
    if (text[n - 2] == u'\n')
        return true;
    return n >= 3 && text[n - 2] == u'\r' && text[n - 3] == u'\n';
}

// True when the text opens with an empty line: two line feeds, each possibly after a carriage return.
bool startsWithBlankLine(View text)
{
    size_t i = 0;
    if (i < text.size() && text[i] == u'\r')
        ++i;
    if (i >= text.size() || text[i] != u'\n')
        return false;
    ++i;
    if (i < text.size() && text[i] == u'\r')
        ++i;
    return i < text.size() && text[i] == u'\n';
}

void appendList(DiffList& to, DiffList&& from)
{
    to.splice(to.end(), from);
}

void dropEmpty(DiffList& diffs)
{
    diffs.remove_if([](const Diff& d) { return d.text.empty(); });
}

// One pass of merging runs; returns true when an edit was shifted over an equality, which calls for
// another pass.
bool mergePass(DiffList& diffs)
{
    dropEmpty(diffs);
    diffs.emplace_back(DIFF_EQUAL, std::u16string());   // flushes the last run
    size_t countDelete = 0;
    size_t countInsert = 0;
    std::u16string textDelete;
    std::u16string textInsert;
    for (auto it = diffs.begin(); it != diffs.end();) {
        if (it->operation == DIFF_INSERT) {
            ++countInsert;
            textInsert += it->text;
            ++it;
            continue;
        }
        if (it->operation == DIFF_DELETE) {
            ++countDelete;
            textDelete += it->text;
            ++it;
            continue;
        }
        const size_t runLength = countDelete + countInsert;
        if (runLength > 1) {
            if (countDelete != 0 && countInsert != 0) {
                size_t common = TextDiff::commonPrefixLength(textInsert, textDelete);
                if (common != 0) {
                    auto runStart = std::prev(it, static_cast<std::ptrdiff_t>(runLength));
                    if (runStart != diffs.begin()) {
                        auto before = std::prev(runStart);
                        if (before->operation != DIFF_EQUAL)
                            throw std::logic_error("Previous diff should have been an equality.");
                        before->text += textInsert.substr(0, common);
                    } else {
                        diffs.emplace_front(DIFF_EQUAL, textInsert.substr(0, common));
                    }
                    textInsert.erase(0, common);
                    textDelete.erase(0, common);
                }
                common = TextDiff::commonSuffixLength(textInsert, textDelete);
                if (common != 0) {
                    it->text = textInsert.substr(textInsert.size() - common) + it->text;
                    textInsert.resize(textInsert.size() - common);
                    textDelete.resize(textDelete.size() - common);
                }
            }
            auto runStart = std::prev(it, static_cast<std::ptrdiff_t>(runLength));
            diffs.erase(runStart, it);
            if (!textDelete.empty())
                diffs.emplace(it, DIFF_DELETE, textDelete);
            if (!textInsert.empty())
                diffs.emplace(it, DIFF_INSERT, textInsert);
            if (textDelete.empty() && textInsert.empty() && it != diffs.begin()
                && std::prev(it)->operation == DIFF_EQUAL) {
                // The edits cancelled out: the equalities around them meet.
                std::prev(it)->text += it->text;
                it = diffs.erase(it);
            } else {
                ++it;
            }
        } else if (it != diffs.begin() && std::prev(it)->operation == DIFF_EQUAL) {
            std::prev(it)->text += it->text;
            it = diffs.erase(it);
        } else {
            ++it;
        }
        countDelete = countInsert = 0;
        textDelete.clear();
        textInsert.clear();
    }
    if (!diffs.empty() && diffs.back().text.empty())
        diffs.pop_back();

    // Single edits between two equalities slide over one of them when that removes an equality.
    bool shifted = false;
    if (diffs.size() < 3)
        return false;
    auto prev = diffs.begin();
    auto cur = std::next(prev);
    while (cur != diffs.end() && std::next(cur) != diffs.end()) {
        auto next = std::next(cur);
        if (prev->operation == DIFF_EQUAL && next->operation == DIFF_EQUAL && cur->operation != DIFF_EQUAL) {
            const std::u16string& before = prev->text;
            const std::u16string& after = next->text;
            View edit(cur->text);
            if (edit.size() >= before.size() && edit.substr(edit.size() - before.size()) == View(before)) {
                cur->text = before + cur->text.substr(0, cur->text.size() - before.size());
                next->text = before + next->text;
                diffs.erase(prev);
                shifted = true;
                prev = cur;
                cur = next;
                continue;
            }
            if (edit.size() >= after.size() && edit.substr(0, after.size()) == View(after)) {
                prev->text += after;
                cur->text = cur->text.substr(after.size()) + after;
                auto afterNext = diffs.erase(next);
                shifted = true;
                prev = cur;
                cur = afterNext;
                continue;
            }
        }
        prev = cur;
        cur = next;
    }
    return shifted;
}

// Lines of `text` as codes; `limit` is the highest code this text may take.
std::u16string linesToCodesOf(const std::u16string& text, std::vector<std::u16string>& lines,
                              std::unordered_map<View, char16_t>& codes, size_t limit)
{
    std::u16string result;
    size_t start = 0;
    while (start < text.size()) {
        size_t newline = text.find(u'\n', start);
        size_t end = newline == std::u16string::npos ? text.size() : newline + 1;
        View line(text.data() + start, end - start);
        auto found = codes.find(line);
        if (found == codes.end() && lines.size() >= limit) {
            // Out of codes: the rest of the text is one line, so no code is ever given twice.
            end = text.size();
            line = View(text.data() + start, end - start);
            found = codes.find(line);
        }
        if (found != codes.end()) {
            result += found->second;
        } else {
            const auto code = static_cast<char16_t>(lines.size());
            lines.emplace_back(line);
            codes.emplace(line, code);
            result += code;
        }
        start = end;
    }
    return result;
}

struct Segment
{
    bool equal = false;
    std::u16string text;        // equalities
    std::u16string deleted;     // edit runs
    std::u16string inserted;
};

// Unit of text1 (first = true) or text2 just before segment i, 0 when none.
char16_t unitBefore(const std::vector<Segment>& segments, size_t i, bool first)
{
    while (i > 0) {
        const Segment& s = segments[--i];
        const std::u16string& t = s.equal ? s.text : (first ? s.deleted : s.inserted);
        if (!t.empty())
            return t.back();
    }
    return 0;
}

char16_t unitAfter(const std::vector<Segment>& segments, size_t i, bool first)
{
    while (++i < segments.size()) {
        const Segment& s = segments[i];
        const std::u16string& t = s.equal ? s.text : (first ? s.deleted : s.inserted);
        if (!t.empty())
            return t.front();
    }
    return 0;
}

} // namespace

TextDiff::Deadline TextDiff::deadline() const
{
    // Beyond a few decades the limit means nothing and would overflow the clock.
    if (!std::isfinite(timeout) || timeout <= 0 || timeout > 1e9f)
        return std::nullopt;
    return Clock::now() + std::chrono::milliseconds(static_cast<long long>(static_cast<double>(timeout) * 1000.0));
}

std::list<Diff> TextDiff::diff(const std::u16string& text1, const std::u16string& text2) const
{
    std::list<Diff> diffs = diffMain(text1, text2, true, deadline());
    surrogateCleanup(diffs);
    return diffs;
}

std::list<Diff> TextDiff::diffMain(const std::u16string& text1, const std::u16string& text2, bool checkLines,
                                   const Deadline& deadline)
{
    if (text1 == text2) {
        std::list<Diff> diffs;
        if (!text1.empty())
            diffs.emplace_back(DIFF_EQUAL, text1);
        return diffs;
    }

    size_t prefixLength = commonPrefixLength(text1, text2);
    View rest1 = View(text1).substr(prefixLength);
    View rest2 = View(text2).substr(prefixLength);
    size_t suffixLength = commonSuffixLength(rest1, rest2);
    std::u16string middle1(rest1.substr(0, rest1.size() - suffixLength));
    std::u16string middle2(rest2.substr(0, rest2.size() - suffixLength));

    std::list<Diff> diffs = computeDiff(middle1, middle2, checkLines, deadline);
    if (prefixLength != 0)
        diffs.emplace_front(DIFF_EQUAL, text1.substr(0, prefixLength));
    if (suffixLength != 0)
        diffs.emplace_back(DIFF_EQUAL, std::u16string(rest1.substr(rest1.size() - suffixLength)));
    mergeCleanup(diffs);
    return diffs;
}

std::list<Diff> TextDiff::computeDiff(const std::u16string& text1, const std::u16string& text2, bool checkLines,
                                      const Deadline& deadline)
{
    std::list<Diff> diffs;
    if (text1.empty()) {
        if (!text2.empty())
            diffs.emplace_back(DIFF_INSERT, text2);
        return diffs;
    }
    if (text2.empty()) {
        diffs.emplace_back(DIFF_DELETE, text1);
        return diffs;
    }

    const bool secondIsLong = text1.size() <= text2.size();
    const std::u16string& longText = secondIsLong ? text2 : text1;
    const std::u16string& shortText = secondIsLong ? text1 : text2;
    size_t at = longText.find(shortText);
    if (at != std::u16string::npos) {
        const DiffOp op = secondIsLong ? DIFF_INSERT : DIFF_DELETE;
        if (at != 0)
            diffs.emplace_back(op, longText.substr(0, at));
        diffs.emplace_back(DIFF_EQUAL, shortText);
        if (at + shortText.size() < longText.size())
            diffs.emplace_back(op, longText.substr(at + shortText.size()));
        return diffs;
    }
    if (shortText.size() == 1) {
        diffs.emplace_back(DIFF_DELETE, text1);
        diffs.emplace_back(DIFF_INSERT, text2);
        return diffs;
    }

    // A half match may miss the minimal diff, so it is only worth it when time is limited.
    if (deadline) {
        if (std::optional<HalfMatch> half = findHalfMatch(text1, text2)) {
            diffs = diffMain(half->text1A, half->text2A, checkLines, deadline);
            diffs.emplace_back(DIFF_EQUAL, half->middle);
            appendList(diffs, diffMain(half->text1B, half->text2B, checkLines, deadline));
            return diffs;
        }
    }

    if (checkLines && text1.size() > 100 && text2.size() > 100)
        return diffByLines(text1, text2, deadline);
    return bisectDiff(text1, text2, deadline);
}

size_t TextDiff::commonPrefixLength(std::u16string_view text1, std::u16string_view text2)
{
    const size_t n = std::min(text1.size(), text2.size());
    size_t i = 0;
    while (i < n && text1[i] == text2[i])
        ++i;
    return i;
}

size_t TextDiff::commonSuffixLength(std::u16string_view text1, std::u16string_view text2)
{
    const size_t n = std::min(text1.size(), text2.size());
    size_t i = 0;
    while (i < n && text1[text1.size() - 1 - i] == text2[text2.size() - 1 - i])
        ++i;
    return i;
}

std::optional<TextDiff::HalfMatch> TextDiff::findHalfMatch(const std::u16string& text1, const std::u16string& text2)
{
    const bool firstIsLong = text1.size() > text2.size();
    const std::u16string& longText = firstIsLong ? text1 : text2;
    const std::u16string& shortText = firstIsLong ? text2 : text1;
    if (longText.size() < 4 || shortText.size() * 2 < longText.size())
        return std::nullopt;

    std::optional<HalfMatch> first = halfMatchAt(longText, shortText, (longText.size() + 3) / 4);
    std::optional<HalfMatch> second = halfMatchAt(longText, shortText, (longText.size() + 1) / 2);
    std::optional<HalfMatch> best;
    if (!first && !second)
        return std::nullopt;
    if (!second)
        best = std::move(first);
    else if (!first)
        best = std::move(second);
    else
        best = first->middle.size() > second->middle.size() ? std::move(first) : std::move(second);

    if (firstIsLong)
        return best;
    HalfMatch swapped;
    swapped.text1A = std::move(best->text2A);
    swapped.text1B = std::move(best->text2B);
    swapped.text2A = std::move(best->text1A);
    swapped.text2B = std::move(best->text1B);
    swapped.middle = std::move(best->middle);
    return swapped;
}

std::optional<TextDiff::HalfMatch> TextDiff::halfMatchAt(const std::u16string& longText,
                                                         const std::u16string& shortText, size_t i)
{
    if (i > longText.size())
        return std::nullopt;
    const View longView(longText);
    const View shortView(shortText);
    const View seed = longView.substr(i, longText.size() / 4);
    size_t bestLength = 0;
    bool found = false;
    HalfMatch best;
    for (size_t j = shortView.find(seed); j != View::npos; j = shortView.find(seed, j + 1)) {
        const size_t prefix = commonPrefixLength(longView.substr(i), shortView.substr(j));
        const size_t suffix = commonSuffixLength(longView.substr(0, i), shortView.substr(0, j));
        if (bestLength < suffix + prefix) {
            bestLength = suffix + prefix;
            found = true;
            best.middle = shortText.substr(j - suffix, suffix + prefix);
            best.text1A = longText.substr(0, i - suffix);
            best.text1B = longText.substr(i + prefix);
            best.text2A = shortText.substr(0, j - suffix);
            best.text2B = shortText.substr(j + prefix);
        }
    }
    if (!found || best.middle.size() * 2 < longText.size())
        return std::nullopt;
    return best;
}

std::list<Diff> TextDiff::diffByLines(const std::u16string& text1, const std::u16string& text2,
                                      const Deadline& deadline)
{
    LineCodes coded = linesToCodes(text1, text2);
    std::list<Diff> diffs = diffMain(coded.codes1, coded.codes2, false, deadline);
    codesToLines(diffs, coded.lines);
    semanticCleanup(diffs);

    // Changed blocks of lines are diffed again character by character.
    diffs.emplace_back(DIFF_EQUAL, std::u16string());
    size_t countDelete = 0;
    size_t countInsert = 0;
    std::u16string textDelete;
    std::u16string textInsert;
    for (auto it = diffs.begin(); it != diffs.end(); ++it) {
        if (it->operation == DIFF_INSERT) {
            ++countInsert;
            textInsert += it->text;
            continue;
        }
        if (it->operation == DIFF_DELETE) {
            ++countDelete;
            textDelete += it->text;
            continue;
        }
        if (countDelete != 0 && countInsert != 0) {
            auto runStart = std::prev(it, static_cast<std::ptrdiff_t>(countDelete + countInsert));
            diffs.erase(runStart, it);
            std::list<Diff> detail = diffMain(textDelete, textInsert, false, deadline);
            diffs.splice(it, detail);
        }
        countDelete = countInsert = 0;
        textDelete.clear();
        textInsert.clear();
    }
    return diffs;
}

TextDiff::LineCodes TextDiff::linesToCodes(const std::u16string& text1, const std::u16string& text2)
{
    LineCodes result;
    result.lines.emplace_back();   // code 0 is never used
    std::unordered_map<View, char16_t> codes;
    // The first text leaves the last code free, so the second always has one for its remainder.
    result.codes1 = linesToCodesOf(text1, result.lines, codes, 0xFFFE);
    result.codes2 = linesToCodesOf(text2, result.lines, codes, 0xFFFF);
    return result;
}

void TextDiff::codesToLines(std::list<Diff>& diffs, const std::vector<std::u16string>& lines)
{
    for (Diff& d : diffs) {
        std::u16string text;
        for (char16_t code : d.text) {
            if (code < lines.size())
                text += lines[code];
        }
        d.text = std::move(text);
    }
}

std::list<Diff> TextDiff::bisectDiff(const std::u16string& text1, const std::u16string& text2,
                                     const Deadline& deadline)
{
    using Index = std::ptrdiff_t;
    const Index n = static_cast<Index>(text1.size());
    const Index m = static_cast<Index>(text2.size());
    const Index maxD = (n + m + 1) / 2;
    const Index offset = maxD;
    // Two spare entries keep the start entry inside the arrays for the shortest texts.
    const Index size = 2 * maxD + 2;
    std::vector<Index> v1(static_cast<size_t>(size), -1);
    std::vector<Index> v2(static_cast<size_t>(size), -1);
    v1[static_cast<size_t>(offset + 1)] = 0;
    v2[static_cast<size_t>(offset + 1)] = 0;
    const Index delta = n - m;
    // With an odd delta the forward path meets the reverse one, otherwise the other way round.
    const bool front = (delta % 2) != 0;
    Index k1start = 0, k1end = 0, k2start = 0, k2end = 0;
    auto at = [](std::vector<Index>& v, Index i) -> Index& { return v[static_cast<size_t>(i)]; };

    for (Index d = 0; d < maxD; ++d) {
        if (timeIsUp(deadline))
            break;

        for (Index k1 = -d + k1start; k1 <= d - k1end; k1 += 2) {
            const Index k1off = offset + k1;
            Index x1;
            if (k1 == -d || (k1 != d && at(v1, k1off - 1) < at(v1, k1off + 1)))
                x1 = at(v1, k1off + 1);
            else
                x1 = at(v1, k1off - 1) + 1;
            Index y1 = x1 - k1;
            while (x1 < n && y1 < m && text1[static_cast<size_t>(x1)] == text2[static_cast<size_t>(y1)]) {
                ++x1;
                ++y1;
            }
            at(v1, k1off) = x1;
            if (x1 > n) {
                k1end += 2;
            } else if (y1 > m) {
                k1start += 2;
            } else if (front) {
                const Index k2off = offset + delta - k1;
                if (k2off >= 0 && k2off < size && at(v2, k2off) != -1) {
                    const Index x2 = n - at(v2, k2off);
                    if (x1 >= x2)
                        return splitAndDiff(text1, text2, static_cast<size_t>(x1), static_cast<size_t>(y1),
                                            deadline);
                }
            }
        }

        for (Index k2 = -d + k2start; k2 <= d - k2end; k2 += 2) {
            const Index k2off = offset + k2;
            Index x2;
            if (k2 == -d || (k2 != d && at(v2, k2off - 1) < at(v2, k2off + 1)))
                x2 = at(v2, k2off + 1);
            else
                x2 = at(v2, k2off - 1) + 1;
            Index y2 = x2 - k2;
            while (x2 < n && y2 < m
                   && text1[static_cast<size_t>(n - x2 - 1)] == text2[static_cast<size_t>(m - y2 - 1)]) {
                ++x2;
                ++y2;
            }
            at(v2, k2off) = x2;
            if (x2 > n) {
                k2end += 2;
            } else if (y2 > m) {
                k2start += 2;
            } else if (!front) {
                const Index k1off = offset + delta - k2;
                if (k1off >= 0 && k1off < size && at(v1, k1off) != -1) {
                    const Index x1 = at(v1, k1off);
                    const Index y1 = offset + x1 - k1off;
                    if (x1 >= n - x2)
                        return splitAndDiff(text1, text2, static_cast<size_t>(x1), static_cast<size_t>(y1),
                                            deadline);
                }
            }
        }
    }

    std::list<Diff> diffs;
    if (!text1.empty())
        diffs.emplace_back(DIFF_DELETE, text1);
    if (!text2.empty())
        diffs.emplace_back(DIFF_INSERT, text2);
    return diffs;
}

std::list<Diff> TextDiff::splitAndDiff(const std::u16string& text1, const std::u16string& text2, size_t x, size_t y,
                                       const Deadline& deadline)
{
    x = std::min(x, text1.size());
    y = std::min(y, text2.size());
    std::list<Diff> diffs = diffMain(text1.substr(0, x), text2.substr(0, y), false, deadline);
    appendList(diffs, diffMain(text1.substr(x), text2.substr(y), false, deadline));
    return diffs;
}

void TextDiff::mergeCleanup(std::list<Diff>& diffs)
{
    while (mergePass(diffs)) {
    }
}

void TextDiff::semanticCleanup(std::list<Diff>& diffs)
{
    using Iter = std::list<Diff>::iterator;
    bool changes = false;
    std::vector<Iter> equalities;
    bool haveLastEquality = false;
    size_t lastEqualityLength = 0;
    size_t insertions1 = 0, deletions1 = 0;   // before the last equality
    size_t insertions2 = 0, deletions2 = 0;   // after it

    for (Iter it = diffs.begin(); it != diffs.end();) {
        if (it->operation == DIFF_EQUAL) {
            equalities.push_back(it);
            insertions1 = insertions2;
            deletions1 = deletions2;
            insertions2 = deletions2 = 0;
            haveLastEquality = true;
            lastEqualityLength = it->text.size();
            ++it;
            continue;
        }
        if (it->operation == DIFF_INSERT)
            insertions2 += it->text.size();
        else
            deletions2 += it->text.size();
        // An equality no longer than the edits on both of its sides is better shown as edited.
        if (haveLastEquality && lastEqualityLength != 0
            && lastEqualityLength <= std::max(insertions1, deletions1)
            && lastEqualityLength <= std::max(insertions2, deletions2)) {
            Iter equality = equalities.back();
            diffs.emplace(equality, DIFF_DELETE, equality->text);
            equality->operation = DIFF_INSERT;
            equalities.pop_back();
            if (!equalities.empty())
                equalities.pop_back();
            it = equalities.empty() ? diffs.begin() : std::next(equalities.back());
            insertions1 = deletions1 = insertions2 = deletions2 = 0;
            haveLastEquality = false;
            changes = true;
            continue;
        }
        ++it;
    }

    if (changes)
        mergeCleanup(diffs);
    losslessCleanup(diffs);

    // A deletion and an insertion that overlap by at least half of either show the overlap as kept.
    if (diffs.size() < 2)
        return;
    for (Iter prev = diffs.begin(), cur = std::next(prev); cur != diffs.end();) {
        if (prev->operation != DIFF_DELETE || cur->operation != DIFF_INSERT) {
            prev = cur++;
            continue;
        }
        const std::u16string deletion = prev->text;
        const std::u16string insertion = cur->text;
        const size_t overlap1 = commonOverlapLength(deletion, insertion);
        const size_t overlap2 = commonOverlapLength(insertion, deletion);
        bool split = false;
        if (overlap1 >= overlap2) {
            if (overlap1 >= deletion.size() / 2.0 || overlap1 >= insertion.size() / 2.0) {
                diffs.emplace(cur, DIFF_EQUAL, insertion.substr(0, overlap1));
                prev->text = deletion.substr(0, deletion.size() - overlap1);
                cur->text = insertion.substr(overlap1);
                split = true;
            }
        } else if (overlap2 >= deletion.size() / 2.0 || overlap2 >= insertion.size() / 2.0) {
            diffs.emplace(cur, DIFF_EQUAL, deletion.substr(0, overlap2));
            prev->operation = DIFF_INSERT;
            prev->text = insertion.substr(0, insertion.size() - overlap2);
            cur->operation = DIFF_DELETE;
            cur->text = deletion.substr(overlap2);
            split = true;
        }
        Iter next = std::next(cur);
        if (split) {
            // A side swallowed whole by the overlap leaves nothing to show.
            if (prev->text.empty())
                diffs.erase(prev);
            if (cur->text.empty())
                diffs.erase(cur);
        }
        if (next == diffs.end())
            break;
        prev = next;
        cur = std::next(prev);
    }
}

void TextDiff::losslessCleanup(std::list<Diff>& diffs)
{
    if (diffs.size() < 3)
        return;
    auto cur = std::next(diffs.begin());
    while (cur != diffs.end() && std::next(cur) != diffs.end()) {
        auto prev = std::prev(cur);
        auto next = std::next(cur);
        if (prev->operation != DIFF_EQUAL || next->operation != DIFF_EQUAL || cur->operation == DIFF_EQUAL) {
            ++cur;
            continue;
        }
        // Work on one string: equality1 = all[0, start), edit = all[start, start + length), equality2 = rest.
        const size_t common = commonSuffixLength(prev->text, cur->text);
        const std::u16string all = prev->text + cur->text + next->text;
        const size_t length = cur->text.size();
        size_t start = prev->text.size() - common;
        const View allView(all);
        auto scoreAt = [&](size_t s) {
            return boundaryScore(allView.substr(0, s), allView.substr(s, length))
                + boundaryScore(allView.substr(s, length), allView.substr(s + length));
        };
        size_t best = start;
        int bestScore = scoreAt(start);
        while (start + length < all.size() && length != 0 && all[start] == all[start + length]) {
            ++start;
            const int score = scoreAt(start);
            if (score >= bestScore) {
                bestScore = score;
                best = start;
            }
        }
        if (best == prev->text.size()) {
            ++cur;
            continue;
        }
        prev->text = all.substr(0, best);
        cur->text = all.substr(best, length);
        next->text = all.substr(best + length);
        if (prev->text.empty())
            diffs.erase(prev);
        if (next->text.empty()) {
            cur = diffs.erase(next);
            continue;
        }
        ++cur;
    }
}

void TextDiff::surrogateCleanup(std::list<Diff>& diffs)
{
    std::vector<Segment> segments;
    for (const Diff& d : diffs) {
        if (d.text.empty())
            continue;
        const bool equal = d.operation == DIFF_EQUAL;
        if (segments.empty() || segments.back().equal != equal)
            segments.push_back(Segment{equal, {}, {}, {}});
        Segment& s = segments.back();
        if (equal)
            s.text += d.text;
        else if (d.operation == DIFF_DELETE)
            s.deleted += d.text;
        else
            s.inserted += d.text;
    }

    bool moved = false;
    for (bool changed = true; changed;) {
        changed = false;
        for (size_t i = 0; i < segments.size(); ++i) {
            Segment& s = segments[i];
            if (!s.equal)
                continue;
            // A low surrogate opening an equality after an edit joins that edit on both sides.
            if (i > 0 && !s.text.empty() && isLowSurrogate(s.text.front())
                && (isHighSurrogate(unitBefore(segments, i, true)) || isHighSurrogate(unitBefore(segments, i, false)))) {
                segments[i - 1].deleted += s.text.front();
                segments[i - 1].inserted += s.text.front();
                s.text.erase(0, 1);
                changed = true;
            }
            if (i + 1 < segments.size() && !s.text.empty() && isHighSurrogate(s.text.back())
                && (isLowSurrogate(unitAfter(segments, i, true)) || isLowSurrogate(unitAfter(segments, i, false)))) {
                segments[i + 1].deleted.insert(segments[i + 1].deleted.begin(), s.text.back());
                segments[i + 1].inserted.insert(segments[i + 1].inserted.begin(), s.text.back());
                s.text.pop_back();
                changed = true;
            }
            if (s.text.empty()) {
                // The edits on both sides become one run.
                if (i > 0 && i + 1 < segments.size()) {
                    segments[i - 1].deleted += segments[i + 1].deleted;
                    segments[i - 1].inserted += segments[i + 1].inserted;
                    segments.erase(segments.begin() + static_cast<std::ptrdiff_t>(i),
                                   segments.begin() + static_cast<std::ptrdiff_t>(i + 2));
                } else {
                    segments.erase(segments.begin() + static_cast<std::ptrdiff_t>(i));
                }
                changed = true;
                break;
            }
        }
        moved = moved || changed;
    }
    if (!moved)
        return;

    diffs.clear();
    for (Segment& s : segments) {
        if (s.equal) {
            diffs.emplace_back(DIFF_EQUAL, std::move(s.text));
            continue;
        }
        if (!s.deleted.empty())
            diffs.emplace_back(DIFF_DELETE, std::move(s.deleted));
        if (!s.inserted.empty())
            diffs.emplace_back(DIFF_INSERT, std::move(s.inserted));
    }
}

int TextDiff::boundaryScore(std::u16string_view one, std::u16string_view two)
{
    if (one.empty() || two.empty())
        return 6;
    const char16_t c1 = one.back();
    const char16_t c2 = two.front();
    const bool nonAlnum1 = !isAlnumUnit(c1);
    const bool nonAlnum2 = !isAlnumUnit(c2);
    const bool whitespace1 = nonAlnum1 && isSpaceUnit(c1);
    const bool whitespace2 = nonAlnum2 && isSpaceUnit(c2);
    const bool lineBreak1 = whitespace1 && (c1 == u'\n' || c1 == u'\r');
    const bool lineBreak2 = whitespace2 && (c2 == u'\n' || c2 == u'\r');
    const bool blankLine1 = lineBreak1 && endsWithBlankLine(one);
    const bool blankLine2 = lineBreak2 && startsWithBlankLine(two);

    if (blankLine1 || blankLine2)
        return 5;
    if (lineBreak1 || lineBreak2)
        return 4;
    if (nonAlnum1 && !whitespace1 && whitespace2)
        return 3;
    if (whitespace1 || whitespace2)
        return 2;
    if (nonAlnum1 || nonAlnum2)
        return 1;
    return 0;
}

size_t TextDiff::commonOverlapLength(std::u16string_view text1, std::u16string_view text2)
{
    if (text1.empty() || text2.empty())
        return 0;
    if (text1.size() > text2.size())
        text1 = text1.substr(text1.size() - text2.size());
    else if (text1.size() < text2.size())
        text2 = text2.substr(0, text1.size());
    const size_t length = text1.size();
    if (text1 == text2)
        return length;

    size_t best = 0;
    size_t k = 1;
    while (k <= length) {
        const size_t found = text2.find(text1.substr(length - k));
        if (found == View::npos)
            return best;
        k += found;
        if (k > length)
            return best;
        if (found == 0 || text1.substr(length - k) == text2.substr(0, k)) {
            best = k;
            ++k;
        }
    }
    return best;
}
