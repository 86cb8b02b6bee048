#pragma once

#include <cstddef>
#include <string>

#include "utility_export.h"

// The character set a statistical detector reads in bytes that carry no byte-order mark, by its
// upper-case name ("GB18030", "BIG5", "SHIFT_JIS", "UHC", ...); "" when it cannot tell. Short texts
// are often told wrongly: the answer is a hint to weigh, not a proof.
UTILITY_EXPORT std::string GuessTextCharset(const char* bytes, std::size_t size);

// Whether bytes read in GB18030 look like ordinary Chinese: their double-byte characters are
// mostly common hanzi and full-width punctuation, seldom kana, Greek, Cyrillic, box drawing, rare
// or private characters, and seldom stand apart by single spaces. Another double-byte set read in
// GB18030 fails on one of these; Chinese text passes however short it is.
UTILITY_EXPORT bool ReadsAsOrdinaryChinese(const char* bytes, std::size_t size);
