#include "dataitem.h"

#include <algorithm>
#include <cstring>

#include "dataitemvalue.h"
#include "strconvert.h"

namespace {

std::string textOf(const DataItemValue* v)
{
    return (v && v->value) ? std::string(v->value) : std::string();
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

DataItem::DataItem() = default;

DataItem::DataItem(const DataItem& other)
{
    assignFrom(other);
}

DataItem& DataItem::operator=(const DataItem& other)
{
    if (this != &other) {
        clear();
        assignFrom(other);
    }
    return *this;
}

DataItem::~DataItem()
{
    clear();
}

void DataItem::clear()
{
    delete[] key;
    key = nullptr;
    for (DataItemValue* v : values)
        delete v;
    values.clear();
}

void DataItem::assignFrom(const DataItem& other)
{
    setKey(other.key);
    values.reserve(other.values.size());
    for (const DataItemValue* v : other.values)
        values.push_back(v ? new DataItemValue(*v) : nullptr);
}

void DataItem::setKey(const std::string& text)
{
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    delete[] key;
    key = copy;
}

void DataItem::setKey(const char* text)
{
    if (!text) {
        delete[] key;
        key = nullptr;
        return;
    }
    setKey(std::string(text));
}

void DataItem::addValue(const std::string& text, double frequencyCount)
{
    values.push_back(new DataItemValue(text, frequencyCount));
}

std::string DataItem::valueToU8String() const
{
    std::string out;
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (k)
            out += ';';
        out += textOf(values[k]);
    }
    return out;
}

std::string DataItem::frequencyToU8String() const
{
    std::string out;
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (k)
            out += ';';
        out += values[k] ? values[k]->getFrequencyCountString() : std::string("0.0000000000");
    }
    return out;
}

std::string DataItem::toU8String() const
{
    return std::string(key ? key : "") + "," + valueToU8String() + "," + frequencyToU8String() + "\n";
}

// Field 0 is the key, fields 1 and 2 are the two lists (texts then frequencies, or the reverse with
// frequenciesFirst); later fields are ignored. CR, LF or the end of the line ends the parse.
void DataItem::setString(const char* line, bool dropStarInKey, bool dropStarInFirstList, bool frequenciesFirst)
{
    if (!line)
        return;
    std::vector<std::string> texts;
    std::vector<std::string> frequencies;
    std::string current;
    int field = 0;
    for (std::size_t i = 0;; ++i) {
        const char c = line[i];
        if (field == 0) {
            if (c == '\0')
                break;   // no key separator: the key stays as it was
            if (c == ',' || c == '\r' || c == '\n') {
                setKey(trim(current));
                current.clear();
                field = 1;
                continue;
            }
            if (c == ';')
                continue;
            if (c == '*' && dropStarInKey) {
                // " * " collapses to one blank.
                if (i > 0 && isBlank(line[i - 1]) && isBlank(line[i + 1]))
                    ++i;
                continue;
            }
            current += c;
            continue;
        }

        const bool endOfLine = c == '\0' || c == '\r' || c == '\n';
        if (endOfLine || c == ';' || c == ',') {
            if (field == 1 || field == 2) {
                const bool isText = (field == 1) != frequenciesFirst;
                if (isText)
                    texts.push_back(trim(current));
                else
                    frequencies.push_back(current);
            }
            current.clear();
            if (endOfLine)
                break;
            if (c == ',')
                ++field;
            continue;
        }
        if (c == '*' && dropStarInFirstList && field == 1)
            continue;
        if (field <= 2)
            current += c;
    }

    if (texts.empty()) {
        for (const std::string& f : frequencies)
            values.push_back(new DataItemValue(std::string(), f));
    } else if (frequencies.empty()) {
        for (const std::string& t : texts)
            values.push_back(new DataItemValue(t, 0.0));
    } else {
        const std::size_t count = std::max(texts.size(), frequencies.size());
        for (std::size_t j = 0; j < count; ++j) {
            const std::string t = j < texts.size() ? texts[j] : std::string();
            const std::string f = j < frequencies.size() ? frequencies[j] : std::string();
            if (!t.empty() && !hasValue(t))
                values.push_back(new DataItemValue(t, f));
        }
    }
    if (!values.empty())
        sortVaules();
}

void DataItem::sortVaules()
{
    std::stable_sort(values.begin(), values.end(), [](const DataItemValue* a, const DataItemValue* b) {
        if (!a || !b)
            return a && !b;
        return a->GetCount() > b->GetCount();
    });
}

void DataItem::getValues(std::vector<std::string>& out) const
{
    for (const DataItemValue* v : values)
        out.push_back(textOf(v));
}

bool DataItem::hasValue(std::string text) const
{
    return std::any_of(values.begin(), values.end(),
                       [&text](const DataItemValue* v) { return v && textOf(v) == text; });
}

void DataItem::copyValues(DataItem* other)
{
    if (!other || other->values.empty())
        return;
    if (other == this) {   // every text is already present
        sortVaules();
        return;
    }
    for (const DataItemValue* v : other->values) {
        if (v && !hasValue(textOf(v)))
            values.push_back(new DataItemValue(*v));
    }
    sortVaules();
}
