#pragma once

// Numbers read out of texts the way the C library reads them, whatever the process locale.
// Internal to utility (not exported).

#include <string_view>

namespace numbertext {

// White space as isspace sees it in the "C" locale.
bool isBlank(char c);

// The leading decimal integer of a text as atoi reads it (blanks and a sign allowed, 0 for none),
// kept within int instead of overflowing.
int leadingInt(std::string_view text);

} // namespace numbertext
