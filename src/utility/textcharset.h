#pragma once

#include <cstddef>
#include <string>

#include "utility_export.h"

// The character set a statistical detector reads in bytes that carry no byte-order mark, by its
// upper-case name ("GB18030", "BIG5", "SHIFT_JIS", "UHC", ...); "" when it cannot tell. Short texts
// are often told wrongly: the answer is a hint to weigh, not a proof.
UTILITY_EXPORT std::string GuessTextCharset(const char* bytes, std::size_t size);
