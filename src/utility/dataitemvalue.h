#pragma once

#include <string>

#include "utility_export.h"

// One suggested replacement: its UTF-8 text and a packed number whose integer part is how often the
// suggestion applies and whose first decimal digit is its frequency.
class UTILITY_EXPORT DataItemValue
{
public:
    DataItemValue(const std::string& text, double frequencyCount);
    // An empty, non-numeric, out-of-range or non-finite frequency text gives 0.
    DataItemValue(const std::string& text, std::string frequencyText);
    explicit DataItemValue(DataItemValue* other);
    DataItemValue(const DataItemValue& other);
    DataItemValue& operator=(const DataItemValue& other);
    ~DataItemValue();

    void setValue(const std::string& text);
    void setValue(const char* text);   // null leaves the text null

    std::string getFrequencyCountString() const;
    double getFrequency() const;
    int GetCount() const;

    // Owned; null means no text and reads as "".
    char* value = nullptr;
    double frequencyCount = 0;
};
