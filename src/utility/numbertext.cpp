#include "numbertext.h"

#include <algorithm>
#include <climits>

namespace numbertext {

bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int leadingInt(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            break;   // clamped below; more digits change nothing
    }
    return static_cast<int>(std::clamp<long long>(negative ? -value : value, INT_MIN, INT_MAX));
}

} // namespace numbertext
