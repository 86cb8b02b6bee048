#include "levenshtein.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>

#include "strconvert.h"

namespace {

// Sums are kept in 64 bits, so long texts with large weights cannot overflow; the result is clamped.
template <typename Sequence>
int distance(const Sequence& a, const Sequence& b, long long swap, long long substitution, long long insertion,
             long long deletion)
{
    const size_t n = a.size();
    const size_t m = b.size();
    std::vector<long long> twoBack(m + 1);
    std::vector<long long> previous(m + 1);
    std::vector<long long> current(m + 1);
    for (size_t j = 0; j <= m; ++j)
        previous[j] = static_cast<long long>(j) * insertion;

    for (size_t i = 0; i < n; ++i) {
        current[0] = static_cast<long long>(i + 1) * deletion;
        for (size_t j = 0; j < m; ++j) {
            long long best = previous[j] + (a[i] == b[j] ? 0 : substitution);
            if (i > 0 && j > 0 && a[i - 1] == b[j] && a[i] == b[j - 1])
                best = std::min(best, twoBack[j - 1] + swap);
            best = std::min(best, previous[j + 1] + deletion);
            best = std::min(best, current[j] + insertion);
            current[j + 1] = best;
        }
        std::swap(twoBack, previous);
        std::swap(previous, current);
    }
    return static_cast<int>(std::clamp<long long>(previous[m], INT_MIN, INT_MAX));
}

std::vector<std::string> characters(const char* text)
{
    std::vector<std::string> result;
    if (text)
        u8GetChars(text, result);
    return result;
}

} // namespace

int Levenshtein(const char* a, const char* b, int swap, int substitution, int insertion, int deletion)
{
    return distance(std::string_view(a ? a : ""), std::string_view(b ? b : ""), swap, substitution, insertion,
                    deletion);
}

int U8Levenshtein(const char* a, const char* b, int swap, int substitution, int insertion, int deletion)
{
    return distance(characters(a), characters(b), swap, substitution, insertion, deletion);
}

int U8SLevenshtein(const std::string& a, const std::string& b, int swap, int substitution, int insertion,
                   int deletion)
{
    std::vector<std::string> charactersA;
    std::vector<std::string> charactersB;
    u8GetChars(a, charactersA);
    u8GetChars(b, charactersB);
    return U8VLevenshtein(charactersA, charactersB, insertion, deletion, substitution, swap);
}

int U8VLevenshtein(std::vector<std::string>& a, std::vector<std::string>& b, int insertion, int deletion,
                   int substitution, int swap)
{
    return distance(a, b, swap, substitution, insertion, deletion);
}

int LevenshteinW(const char16_t* a, const char16_t* b, int swap, int substitution, int insertion, int deletion)
{
    return distance(std::u16string_view(a ? a : u""), std::u16string_view(b ? b : u""), swap, substitution,
                    insertion, deletion);
}
