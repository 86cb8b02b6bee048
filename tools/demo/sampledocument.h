#pragma once

#include <string>
#include <vector>

// The demonstration document: three pages of Chinese with misspellings the local service flags.
struct SampleDocument
{
    std::u16string text;
    std::vector<int> pageStarts;
};
SampleDocument sampleDocument();
