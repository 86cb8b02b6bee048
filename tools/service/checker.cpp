#include "checker.h"

#include "scannedtext.h"

#include <algorithm>

namespace korrelo_service {

// How the checker finds errors (also printed by korrelo-service --help).
//
// | rule                         | type | level | flagged text                  | suggestion        |
// |------------------------------|------|-------|-------------------------------|-------------------|
// | misspelling table (below)    | row  | row   | the table's wrong form        | the right form    |
// | repeated function character  | 22   | 3     | a run like 的的, 了了 …        | the one character |
// | repeated Chinese punctuation | 22   | 3     | a run like ，， 。。 、、 ；； ：： | the one mark      |
// | unpaired bracket or quote    | 41   | 3     | the lone mark                 | none              |
// | half-width punctuation       | 42   | 3     | , . ; : ? ! ( ) or a run of dots | the full-width mark (dots: ……) |
//
// Table rows are matched left to right, longest first, without overlap; a row whose dictionary
// (101 basic, 102 politics/law/official papers) is not asked for is not matched. Repetition runs
// inside 的的确确, 不了了之 and 是是非非 are correct Chinese and are left alone. Brackets pair
// with a stack: a closing mark closes the nearest open mark of its kind (marks opened after it
// are unpaired); a closing mark with no open partner and every mark still open at the end are
// unpaired. A half-width mark is flagged when the character before it is Chinese (a Han
// character or Chinese punctuation), or when the character after it is Han and the one before
// it is not an ASCII letter or digit; a dot followed by a digit is a decimal point and is left alone.
//
// Then the client's choices apply: only the types in "check" (all when the field is absent),
// only levels from "min_error_level" up, and nothing inside a word of the account's dictionary.
// VIP-only rows are withheld from accounts without VIP rights (the service counts them).

namespace {

// type: 1 same sound, 2 similar shape, 3 similar sound, 5 error-word dictionary.
// Idiom misspellings, similar-sound rows and dictionary 102 are advanced findings (VIP only).
const std::vector<ConfusionEntry> kTable = {
    // wrong          right          type level dict  vip
    {"他门",          "他们",          1, 4, 101, false},
    {"我门",          "我们",          1, 4, 101, false},
    {"你门",          "你们",          1, 4, 101, false},
    {"在次",          "再次",          1, 4, 101, false},
    {"以经",          "已经",          1, 4, 101, false},
    {"做为",          "作为",          1, 4, 101, false},
    {"坐位",          "座位",          1, 4, 101, false},
    {"安祥",          "安详",          1, 4, 101, false},
    {"按装",          "安装",          1, 4, 101, false},
    {"名信片",        "明信片",        1, 4, 101, false},
    {"蜂涌",          "蜂拥",          1, 4, 101, false},
    {"必须品",        "必需品",        1, 4, 101, false},
    {"地确",          "的确",          1, 4, 101, false},
    {"即然",          "既然",          5, 4, 101, false},
    {"自已",          "自己",          5, 4, 101, false},
    {"部份",          "部分",          5, 4, 101, false},
    {"帐号",          "账号",          5, 4, 101, false},
    {"重迭",          "重叠",          5, 4, 101, false},
    {"报歉",          "抱歉",          5, 4, 101, false},
    {"已后",          "以后",          2, 4, 101, false},
    {"防碍",          "妨碍",          2, 4, 101, false},
    {"辨论",          "辩论",          2, 4, 101, false},
    {"震憾",          "震撼",          2, 4, 101, false},
    {"松驰",          "松弛",          2, 4, 101, false},
    {"急燥",          "急躁",          2, 4, 101, false},
    {"烦燥",          "烦躁",          2, 4, 101, false},
    {"渲泄",          "宣泄",          2, 4, 101, false},
    {"针贬",          "针砭",          2, 4, 101, false},
    {"精萃",          "精粹",          2, 4, 101, false},
    {"修茸",          "修葺",          2, 4, 101, false},
    {"幅射",          "辐射",          2, 4, 101, false},
    {"气慨",          "气概",          2, 4, 101, false},
    {"寒喧",          "寒暄",          2, 4, 101, false},
    {"国藉",          "国籍",          2, 4, 101, false},
    {"通辑",          "通缉",          2, 4, 101, false},
    {"竞然",          "竟然",          2, 4, 101, false},
    {"侯车",          "候车",          2, 4, 101, false},
    {"作客",          "做客",          1, 2, 101, false},
    {"身分证",        "身份证",        5, 2, 101, false},
    {"再接再励",      "再接再厉",      5, 4, 101, true},
    {"迫不急待",      "迫不及待",      5, 4, 101, true},
    {"既往不究",      "既往不咎",      5, 4, 101, true},
    {"一愁莫展",      "一筹莫展",      5, 4, 101, true},
    {"按步就班",      "按部就班",      5, 4, 101, true},
    {"谈笑风声",      "谈笑风生",      5, 4, 101, true},
    {"默守成规",      "墨守成规",      5, 4, 101, true},
    {"穿流不息",      "川流不息",      5, 4, 101, true},
    {"一股作气",      "一鼓作气",      5, 4, 101, true},
    {"甘败下风",      "甘拜下风",      5, 4, 101, true},
    {"鬼鬼崇崇",      "鬼鬼祟祟",      2, 4, 101, true},
    {"因该",          "应该",          3, 4, 101, true},
    {"亲睐",          "青睐",          3, 4, 101, true},
    {"截止目前",      "截至目前",      1, 4, 102, true},
    {"签定合同",      "签订合同",      1, 4, 102, true},
    {"合法权力",      "合法权利",      1, 4, 102, true},
};

const char32_t kRepeatable[] = U"的了是在和与及把被就也都而或对从向于之其这那，。、；：";

const char* const kRepeatExceptions[] = {"的的确确", "不了了之", "是是非非"};

struct BracketPair
{
    char32_t open;
    char32_t close;
};
const BracketPair kPairs[] = {
    {U'“', U'”'}, {U'‘', U'’'}, {U'《', U'》'}, {U'（', U'）'}, {U'【', U'】'},
    {U'「', U'」'}, {U'『', U'』'}, {U'〈', U'〉'}, {U'｛', U'｝'},
};

char32_t fullWidthOf(char32_t c)
{
    switch (c) {
    case U',': return U'，';
    case U'.': return U'。';
    case U';': return U'；';
    case U':': return U'：';
    case U'?': return U'？';
    case U'!': return U'！';
    case U'(': return U'（';
    case U')': return U'）';
    default: return 0;
    }
}

bool isAsciiAlnum(char32_t c)
{
    return (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

Finding makeFinding(const ScannedText& text, size_t first, size_t count, int type, int level)
{
    Finding f;
    f.words = text.slice(first, count);
    f.begin = text.utf16Offset(first);
    f.end = text.utf16Offset(first + count) - 1;
    f.type = type;
    f.level = level;
    return f;
}

bool matchesAt(const ScannedText& text, size_t at, const std::u32string& word)
{
    if (at + word.size() > text.size())
        return false;
    for (size_t k = 0; k < word.size(); ++k) {
        if (text.at(at + k) != word[k])
            return false;
    }
    return true;
}

} // namespace

Checker::Checker()
{
    for (const ConfusionEntry& entry : kTable) {
        const std::u32string wrong = ScannedText::toUtf32(entry.wrong);
        auto it = std::find_if(index.begin(), index.end(),
                               [&](const auto& slot) { return slot.first == wrong[0]; });
        if (it == index.end()) {
            index.push_back({wrong[0], {}});
            it = index.end() - 1;
        }
        it->second.push_back({wrong, &entry});
    }
    for (auto& slot : index) {
        std::stable_sort(slot.second.begin(), slot.second.end(),
                         [](const Pattern& a, const Pattern& b) { return a.wrong.size() > b.wrong.size(); });
    }
    std::sort(index.begin(), index.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const char* phrase : kRepeatExceptions)
        repeatExceptions.push_back(ScannedText::toUtf32(phrase));
}

const std::vector<ConfusionEntry>& Checker::table()
{
    return kTable;
}

const std::vector<Checker::Pattern>* Checker::patternsFor(char32_t first) const
{
    auto it = std::lower_bound(index.begin(), index.end(), first,
                               [](const auto& slot, char32_t c) { return slot.first < c; });
    if (it == index.end() || it->first != first)
        return nullptr;
    return &it->second;
}

std::vector<Finding> Checker::check(const std::string& utf8, const CheckOptions& options) const
{
    const ScannedText text(utf8);
    const size_t n = text.size();
    std::vector<Finding> found;

    // Misspelling table.
    for (size_t i = 0; i < n;) {
        const Pattern* hit = nullptr;
        if (const auto* patterns = patternsFor(text.at(i))) {
            for (const Pattern& p : *patterns) {
                if (options.dicts.count(p.entry->dict) && matchesAt(text, i, p.wrong)) {
                    hit = &p;
                    break;
                }
            }
        }
        if (!hit) {
            ++i;
            continue;
        }
        Finding f = makeFinding(text, i, hit->wrong.size(), hit->entry->type, hit->entry->level);
        f.suggestions.push_back(hit->entry->right);
        f.vipOnly = hit->entry->vipOnly;
        found.push_back(std::move(f));
        i += hit->wrong.size();
    }

    // Repeated characters, except inside phrases where the repetition is correct.
    std::vector<bool> excepted(n, false);
    for (const std::u32string& phrase : repeatExceptions) {
        for (size_t i = 0; i + phrase.size() <= n; ++i) {
            if (matchesAt(text, i, phrase))
                std::fill(excepted.begin() + i, excepted.begin() + i + phrase.size(), true);
        }
    }
    const std::u32string repeatable(kRepeatable);
    for (size_t i = 0; i < n;) {
        size_t run = 1;
        while (i + run < n && text.at(i + run) == text.at(i))
            ++run;
        const bool inException = std::any_of(excepted.begin() + i, excepted.begin() + i + run,
                                             [](bool b) { return b; });
        if (run >= 2 && repeatable.find(text.at(i)) != std::u32string::npos && !inException) {
            Finding f = makeFinding(text, i, run, 22, 3);
            f.suggestions.push_back(ScannedText::toUtf8(text.at(i)));
            found.push_back(std::move(f));
        }
        i += run;
    }

    // Unpaired brackets and quotes.
    std::vector<std::pair<size_t, size_t>> open;   // (position, pair index)
    std::vector<size_t> lone;
    for (size_t i = 0; i < n; ++i) {
        const char32_t c = text.at(i);
        for (size_t k = 0; k < std::size(kPairs); ++k) {
            if (c == kPairs[k].open) {
                open.push_back({i, k});
                break;
            }
            if (c != kPairs[k].close)
                continue;
            auto partner = std::find_if(open.rbegin(), open.rend(),
                                        [k](const auto& o) { return o.second == k; });
            if (partner == open.rend()) {
                lone.push_back(i);
                break;
            }
            const size_t keep = static_cast<size_t>(open.rend() - partner) - 1;
            for (size_t j = keep + 1; j < open.size(); ++j)
                lone.push_back(open[j].first);
            open.resize(keep);
            break;
        }
    }
    for (const auto& o : open)
        lone.push_back(o.first);
    for (size_t at : lone)
        found.push_back(makeFinding(text, at, 1, 41, 3));

    // Half-width punctuation in Chinese text.
    const auto chinese = [](char32_t c) { return ScannedText::isHan(c) || ScannedText::isCjkPunctuation(c); };
    for (size_t i = 0; i < n;) {
        const char32_t c = text.at(i);
        const char32_t full = fullWidthOf(c);
        if (!full) {
            ++i;
            continue;
        }
        size_t run = 1;
        if (c == U'.') {
            while (i + run < n && text.at(i + run) == U'.')
                ++run;
        }
        const char32_t before = i > 0 ? text.at(i - 1) : 0;
        const char32_t after = i + run < n ? text.at(i + run) : 0;
        const bool decimal = c == U'.' && run == 1 && after >= U'0' && after <= U'9';
        const bool flagged = chinese(before) || (ScannedText::isHan(after) && !isAsciiAlnum(before));
        if (flagged && !decimal) {
            Finding f = makeFinding(text, i, run, 42, 3);
            f.suggestions.push_back(run > 1 ? std::string("……") : ScannedText::toUtf8(full));
            found.push_back(std::move(f));
        }
        i += run;
    }

    // The client's choices and the account's own words.
    std::vector<std::pair<uint32_t, uint32_t>> own;
    for (const std::string& word : options.userWords) {
        const std::u32string w = ScannedText::toUtf32(word);
        if (w.empty())
            continue;
        for (size_t i = 0; i + w.size() <= n; ++i) {
            if (matchesAt(text, i, w))
                own.push_back({text.utf16Offset(i), text.utf16Offset(i + w.size()) - 1});
        }
    }
    std::vector<Finding> kept;
    for (Finding& f : found) {
        if (!options.allTypes && !options.types.count(f.type))
            continue;
        if (f.level < options.minLevel)
            continue;
        const bool ownWord = std::any_of(own.begin(), own.end(), [&](const auto& r) {
            return r.first <= f.begin && f.end <= r.second;
        });
        if (!ownWord)
            kept.push_back(std::move(f));
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Finding& a, const Finding& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.type < b.type;
    });
    return kept;
}

} // namespace korrelo_service
