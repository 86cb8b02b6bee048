#pragma once

#include <string>
#include <vector>

#include "utility_export.h"

// Weighted edit distances with adjacent transposition (optimal string alignment), for ranking texts by
// similarity. "Insertion" costs a unit found only in b, "deletion" a unit found only in a. A null
// pointer counts as an empty text.

// Over single bytes.
UTILITY_EXPORT int Levenshtein(const char* a, const char* b, int swap, int substitution, int insertion,
                               int deletion);
// Over UTF-8 characters.
UTILITY_EXPORT int U8Levenshtein(const char* a, const char* b, int swap, int substitution, int insertion,
                                 int deletion);
UTILITY_EXPORT int U8SLevenshtein(const std::string& a, const std::string& b, int swap, int substitution,
                                  int insertion, int deletion);
// Over whole elements; note the weights come in the reverse order.
UTILITY_EXPORT int U8VLevenshtein(std::vector<std::string>& a, std::vector<std::string>& b, int insertion,
                                  int deletion, int substitution, int swap);
// Over UTF-16 code units.
UTILITY_EXPORT int LevenshteinW(const char16_t* a, const char16_t* b, int swap, int substitution, int insertion,
                                int deletion);
