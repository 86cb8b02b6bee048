#pragma once

#include <string>
#include <vector>

#include "utility_export.h"

class DataItemValue;

// The suggestions of one result: a key and the values, both owned outright.
class UTILITY_EXPORT DataItem
{
public:
    DataItem();
    DataItem(const DataItem& other);
    DataItem& operator=(const DataItem& other);
    ~DataItem();

    void setKey(const std::string& text);
    void setKey(const char* text);   // null leaves the key null

    void addValue(const std::string& text, double frequencyCount);

    // Value texts joined with ";".
    std::string valueToU8String() const;
    // Frequency texts ("%.10f" form) joined with ";".
    std::string frequencyToU8String() const;
    // "key,values,frequencies\n": the line setString reads back.
    std::string toU8String() const;
    // Reads one line "key,list,list" and appends its values (see the .cpp); a null line does nothing.
    void setString(const char* line, bool dropStarInKey, bool dropStarInFirstList, bool frequenciesFirst);

    // By descending count; values with equal counts keep their order, null entries go last.
    void sortVaules();
    void getValues(std::vector<std::string>& out) const;
    bool hasValue(std::string text) const;
    // Appends copies of the values of other whose text is not yet present, then sorts.
    void copyValues(DataItem* other);

    char* key = nullptr;   // owned; null reads as ""
    std::vector<DataItemValue*> values;   // owned

private:
    void clear();
    void assignFrom(const DataItem& other);
};
