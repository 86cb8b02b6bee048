#include "dataitemvalue.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#include "numbertext.h"

namespace {

char* copyText(const char* text, std::size_t size)
{
    char* copy = new char[size + 1];
    std::memcpy(copy, text, size);
    copy[size] = '\0';
    return copy;
}

// Reads the leading number of a text the way the service's frequency texts were always read
// (leading blanks, an optional sign, the longest number prefix), independent of any locale.
double parseFrequency(const std::string& text)
{
    const char* p = text.c_str();
    const char* end = p + std::strlen(p);
    while (p < end && numbertext::isBlank(*p))
        ++p;
    if (p < end && *p == '+')
        ++p;
    double value = 0;
    const auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc() || next == p || !std::isfinite(value))
        return 0;
    return value;
}

} // namespace

DataItemValue::DataItemValue(const std::string& text, double frequencyCount)
    : value(copyText(text.data(), text.size()))
    , frequencyCount(frequencyCount)
{
}

DataItemValue::DataItemValue(const std::string& text, std::string frequencyText)
    : value(copyText(text.data(), text.size()))
    , frequencyCount(parseFrequency(frequencyText))
{
}

DataItemValue::DataItemValue(DataItemValue* other)
{
    if (other) {
        setValue(other->value);
        frequencyCount = other->frequencyCount;
    }
}

DataItemValue::DataItemValue(const DataItemValue& other)
    : frequencyCount(other.frequencyCount)
{
    setValue(other.value);
}

DataItemValue& DataItemValue::operator=(const DataItemValue& other)
{
    if (this != &other) {
        setValue(other.value);
        frequencyCount = other.frequencyCount;
    }
    return *this;
}

DataItemValue::~DataItemValue()
{
    delete[] value;
}

void DataItemValue::setValue(const std::string& text)
{
    char* copy = copyText(text.data(), text.size());
    delete[] value;
    value = copy;
}

void DataItemValue::setValue(const char* text)
{
    char* copy = text ? copyText(text, std::strlen(text)) : nullptr;
    delete[] value;
    value = copy;
}

std::string DataItemValue::getFrequencyCountString() const
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, frequencyCount, std::chars_format::fixed, 10);
    if (result.ec != std::errc())
        return std::string();
    return std::string(buffer, result.ptr);
}

double DataItemValue::getFrequency() const
{
    if (!std::isfinite(frequencyCount))
        return 0;
    const double whole = std::trunc(frequencyCount);
    if (whole <= 0)
        return 0;
    return (frequencyCount - whole) * 10;
}

int DataItemValue::GetCount() const
{
    if (std::isnan(frequencyCount))
        return 0;
    if (frequencyCount >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (frequencyCount <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(frequencyCount);
}
