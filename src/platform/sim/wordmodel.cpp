#include "wordmodel.h"

#include <algorithm>

#include <QChar>

namespace sim_detail {

namespace {
bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool endsSentence(char16_t c)
{
    return c == u'。' || c == u'！' || c == u'？' || c == u'.' || c == u'!' || c == u'?';
}
char16_t folded(char16_t c) { return QChar::toCaseFolded(c); }
}

WordDocModel::WordDocModel() : chars(u"\r"), formats(1), selectionAnchor(std::make_shared<Anchor>())
{
    anchors.push_back(selectionAnchor);
}

int WordDocModel::clamp(int position) const
{
    return std::clamp(position, 0, length());
}

void WordDocModel::setText(std::u16string text)
{
    if (text.empty() || text.back() != u'\r')
        text.push_back(u'\r');
    chars = std::move(text);
    formats.assign(chars.size(), sim::Underline());
    for (auto& weak : anchors) {
        if (auto a = weak.lock())
            *a = Anchor();
    }
    pages.clear();
}

void WordDocModel::moveAnchors(int start, int end, int inserted)
{
    const int delta = inserted - (end - start);
    auto mapStart = [&](int p) { return p <= start ? p : p >= end ? p + delta : start; };
    auto mapEnd = [&](int p) { return p <= start ? p : p >= end ? p + delta : start + inserted; };
    anchors.erase(std::remove_if(anchors.begin(), anchors.end(), [](const auto& w) { return w.expired(); }),
                  anchors.end());
    for (auto& weak : anchors) {
        auto a = weak.lock();
        // Text put in right at the start of a stretch goes before it, as text put at its end stays
        // behind it: a range keeps covering what it covered. A caret stays before what is put there.
        if (start == end && a->start == start && a->end > a->start) {
            a->start += inserted;
            a->end += inserted;
            continue;
        }
        a->start = mapStart(a->start);
        a->end = std::max(a->start, mapEnd(a->end));
    }
    for (auto& page : pages)
        page->start = page->end = mapStart(page->start);
}

int WordDocModel::replace(int start, int end, const std::u16string& text, const sim::Underline& format)
{
    start = clamp(start);
    end = clamp(end);
    if (end < start)
        std::swap(start, end);
    // The last paragraph mark is never replaced: text goes in front of it.
    if (end == length()) {
        end = length() - 1;
        start = std::min(start, end);
    }
    chars.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), text);
    formats.erase(formats.begin() + start, formats.begin() + end);
    formats.insert(formats.begin() + start, text.size(), format);
    const int inserted = static_cast<int>(text.size());
    moveAnchors(start, end, inserted);
    return start + inserted;
}

sim::Underline WordDocModel::formatAt(int position) const
{
    if (chars.empty())
        return {};
    return formats[static_cast<size_t>(std::clamp(position, 0, length() - 1))];
}

void WordDocModel::setFormat(int start, int end, const FontCriteria& format)
{
    start = clamp(start);
    end = clamp(end);
    for (int i = start; i < end; ++i) {
        if (format.underline)
            formats[static_cast<size_t>(i)].style = *format.underline;
        if (format.color)
            formats[static_cast<size_t>(i)].color = *format.color;
    }
}

sim::Underline WordDocModel::formatOf(int start, int end) const
{
    start = clamp(start);
    end = clamp(end);
    if (start >= end)
        return formatAt(start);
    sim::Underline result = formats[static_cast<size_t>(start)];
    for (int i = start + 1; i < end; ++i) {
        const sim::Underline& u = formats[static_cast<size_t>(i)];
        if (u.style != result.style)
            result.style = word::wdUndefined;
        if (u.color != result.color)
            result.color = word::wdUndefined;
    }
    return result;
}

std::shared_ptr<Anchor> WordDocModel::anchor(int start, int end)
{
    start = clamp(start);
    end = clamp(end);
    if (end < start)
        std::swap(start, end);
    auto a = std::make_shared<Anchor>(Anchor{start, end});
    anchors.push_back(a);
    return a;
}

void WordDocModel::setPageStarts(const std::vector<int>& starts)
{
    std::vector<int> sorted;
    for (int p : starts) {
        if (p > 0 && p < length())
            sorted.push_back(p);
    }
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    pages.clear();
    for (int p : sorted)
        pages.push_back(std::make_shared<Anchor>(Anchor{p, p}));
}

std::vector<int> WordDocModel::pageStarts() const
{
    std::vector<int> out;
    for (const auto& page : pages)
        out.push_back(page->start);
    return out;
}

int WordDocModel::pageOf(int position) const
{
    int page = 1;
    for (const auto& start : pages) {
        if (start->start <= position && start->start > 0)
            ++page;
    }
    return page;
}

int WordDocModel::pageStart(int page) const
{
    page = std::clamp(page, 1, pageCount());
    return page == 1 ? 0 : pages[static_cast<size_t>(page - 2)]->start;
}

int WordDocModel::unitAfter(int position) const
{
    if (position < 0 || position >= length())
        return 0;
    if (isHigh(chars[static_cast<size_t>(position)]) && position + 1 < length()
        && isLow(chars[static_cast<size_t>(position + 1)]))
        return 2;
    return 1;
}

int WordDocModel::unitBefore(int position) const
{
    if (position <= 0 || position > length())
        return 0;
    if (position >= 2 && isLow(chars[static_cast<size_t>(position - 1)]) && isHigh(chars[static_cast<size_t>(position - 2)]))
        return 2;
    return 1;
}

std::pair<int, int> WordDocModel::paragraphAt(int position) const
{
    position = std::clamp(position, 0, length() - 1);
    const size_t before = position == 0 ? std::u16string::npos : chars.rfind(u'\r', static_cast<size_t>(position - 1));
    const int start = before == std::u16string::npos ? 0 : static_cast<int>(before) + 1;
    const int end = static_cast<int>(chars.find(u'\r', static_cast<size_t>(position))) + 1;
    return {start, end};
}

std::vector<std::pair<int, int>> WordDocModel::paragraphsIn(int start, int end) const
{
    std::vector<std::pair<int, int>> out;
    auto p = paragraphAt(start);
    out.push_back(p);
    while (p.second < end && p.second < length()) {
        p = paragraphAt(p.second);
        out.push_back(p);
    }
    return out;
}

int WordDocModel::paragraphIndex(int position) const
{
    position = std::clamp(position, 0, length() - 1);
    return static_cast<int>(std::count(chars.begin(), chars.begin() + position, u'\r'));
}

std::pair<int, int> WordDocModel::paragraphByIndex(int index) const
{
    index = std::clamp(index, 0, paragraphCount() - 1);
    int start = 0;
    for (int i = 0; i < index; ++i)
        start = static_cast<int>(chars.find(u'\r', static_cast<size_t>(start))) + 1;
    return paragraphAt(start);
}

int WordDocModel::paragraphCount() const
{
    return static_cast<int>(std::count(chars.begin(), chars.end(), u'\r'));
}

std::pair<int, int> WordDocModel::sentenceAt(int position) const
{
    const auto [ps, pe] = paragraphAt(position);
    position = std::clamp(position, ps, pe - 1);
    int start = ps;
    for (int i = position - 1; i >= ps; --i) {
        if (endsSentence(chars[static_cast<size_t>(i)])) {
            start = i + 1;
            break;
        }
    }
    int end = pe;
    for (int i = position; i < pe; ++i) {
        if (endsSentence(chars[static_cast<size_t>(i)])) {
            end = i + 1;
            break;
        }
    }
    return {start, end};
}

bool WordDocModel::carries(int position, const FontCriteria& criteria) const
{
    return position >= 0 && position < length() && criteria.matches(formats[static_cast<size_t>(position)]);
}

bool WordDocModel::matchesAt(const std::u16string& needle, int position, bool matchCase,
                             const FontCriteria& criteria) const
{
    const int n = static_cast<int>(needle.size());
    if (position < 0 || position + n > length())
        return false;
    for (int i = 0; i < n; ++i) {
        const char16_t a = chars[static_cast<size_t>(position + i)];
        const char16_t b = needle[static_cast<size_t>(i)];
        if (a != b && (matchCase || folded(a) != folded(b)))
            return false;
        if (criteria.any() && !carries(position + i, criteria))
            return false;
    }
    return true;
}

std::pair<int, int> WordDocModel::findForward(const std::u16string& needle, int from, int to, bool matchCase,
                                              const FontCriteria& criteria, bool wholeRuns) const
{
    from = clamp(from);
    to = clamp(to);
    if (needle.empty()) {
        if (!criteria.any())
            return {-1, -1};
        int p = from;
        if (wholeRuns)
            while (p < to && carries(p, criteria) && carries(p - 1, criteria))
                ++p;
        while (p < to && !carries(p, criteria))
            ++p;
        if (p >= to)
            return {-1, -1};
        int e = p;
        while (e < length() && carries(e, criteria) && (wholeRuns || e < to))
            ++e;
        return {p, e};
    }
    const int n = static_cast<int>(needle.size());
    for (int p = from; p + n <= to; ++p) {
        if (matchesAt(needle, p, matchCase, criteria))
            return {p, p + n};
    }
    return {-1, -1};
}

std::pair<int, int> WordDocModel::findBackward(const std::u16string& needle, int from, int before, bool matchCase,
                                               const FontCriteria& criteria, bool wholeRuns) const
{
    from = clamp(from);
    before = clamp(before);
    if (needle.empty()) {
        if (!criteria.any())
            return {-1, -1};
        int e = before;
        if (wholeRuns)
            while (e > from && carries(e - 1, criteria) && carries(e, criteria))
                --e;
        while (e > from && !carries(e - 1, criteria))
            --e;
        if (e <= from)
            return {-1, -1};
        int p = e;
        while (p > 0 && carries(p - 1, criteria) && (wholeRuns || p > from))
            --p;
        return {p, e};
    }
    const int n = static_cast<int>(needle.size());
    for (int p = before - n; p >= from; --p) {
        if (matchesAt(needle, p, matchCase, criteria))
            return {p, p + n};
    }
    return {-1, -1};
}

std::vector<sim::UnderlineRun> WordDocModel::underlineRuns() const
{
    std::vector<sim::UnderlineRun> runs;
    const sim::Underline plain;
    for (int i = 0; i < length(); ++i) {
        const sim::Underline& u = formats[static_cast<size_t>(i)];
        if (u == plain)
            continue;
        if (!runs.empty() && runs.back().end == i && runs.back().underline == u)
            runs.back().end = i + 1;
        else
            runs.push_back({i, i + 1, u});
    }
    return runs;
}

} // namespace sim_detail
