#pragma once

// Internal to utility (not exported).

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "checkdata.h"

// Fills results straight from the parser's events, without building a document first: a reply for
// a page of text holds hundreds of small values, and a document plus the lookups into it cost as
// much again as the parse.
class CheckReplyReader
{
public:
    // Appends the reply's results to items and copies its reply-level fields into other; the result
    // is JSONToCheckData's. When the reply does not parse or is not an object, nothing is touched.
    static bool read(const std::string& json, std::vector<std::shared_ptr<CheckData>>& items,
                     _CHECK_OTHER_DATA_& other);

    // Parser events. The first of repeated members counts, whatever its type; members of the wrong
    // type are ignored; unknown members are skipped whole.
    bool Null();
    bool Bool(bool);
    bool Int(int i);
    bool Uint(unsigned u);
    bool Int64(int64_t i);
    bool Uint64(uint64_t u);
    bool Double(double);
    bool RawNumber(const char*, unsigned, bool);
    bool String(const char* text, unsigned length, bool);
    bool StartObject();
    bool Key(const char* text, unsigned length, bool);
    bool EndObject(unsigned);
    bool StartArray();
    bool EndArray(unsigned);

    // The members we read; each is a bit in the set of members an object has shown so far.
    enum Member : uint32_t
    {
        None = 0,
        ErrorId = 1u << 0,
        VipCount = 1u << 1,
        ErrorMsg = 1u << 2,
        List = 1u << 3,
        Level = 1u << 4,
        Types = 1u << 5,
        ItemKey = 1u << 6,
        Words = 1u << 7,
        Positions = 1u << 8,
        Suggestions = 1u << 9,
        Begin = 1u << 10,
        End = 1u << 11,
        SuggestionKey = 1u << 12,
        Values = 1u << 13,
        Frequency = 1u << 14,
        Text = 1u << 15,
    };

private:
    enum class Outcome
    {
        Read,
        Failed,
        TooDeep,
    };

    CheckReplyReader(std::vector<std::shared_ptr<CheckData>>& items, _CHECK_OTHER_DATA_& other, bool recursive);

    Outcome parse(const std::string& json);

    // The container the parser is in.
    enum class Place
    {
        Start,
        Reply,
        List,
        Item,
        Types,
        Positions,
        Position,
        Suggestions,
        Values,
        Value,
        Skipped,
        Done,
    };
    enum class ListForm
    {
        Missing,
        NotArray,
        Array,
    };

    // Number events in one form: a value that fits int64_t, or one above it.
    bool integer(int64_t value, bool aboveInt64);
    // Null, true, false and fractional numbers: a value of a member we read, always of the wrong type.
    bool otherScalar();
    bool container(bool isObject);
    // Counts a container's end; true when it ends inside a skipped value.
    bool endSkipped();
    void skip();
    void enterObject(Place place);
    Member takeMember();
    void newSuggestions();
    void finishItem();
    bool result();

    std::vector<std::shared_ptr<CheckData>>& items;
    _CHECK_OTHER_DATA_& other;
    std::size_t itemsBefore = 0;
    std::size_t depthLimit = 0;   // of open containers; 0 for none
    std::size_t depth = 0;
    bool tooDeep = false;

    Place place = Place::Start;
    Place resume = Place::Start;   // where the parser is once a skipped value ends
    std::size_t skipEnd = 0;       // the depth at that point
    Member pending = None;         // the member whose value comes next
    uint32_t seen = 0;             // members met in the objects now open

    std::string errorId;
    std::string errorMsg;
    int vipCount = 0;
    uint32_t replyFound = 0;
    ListForm list = ListForm::Missing;

    std::shared_ptr<CheckData> item;
    // The lists of the current item as read so far.
    std::vector<int> types;
    std::vector<_CHECK_DATA_POS_> positions;
    std::vector<std::pair<std::string, int>> suggestions;
    uint32_t begin = 0;
    uint32_t end = 0;
    std::string text;
    int frequency = 0;
    uint32_t found = 0;   // Begin/End or Frequency/Text of the current position or suggestion
};
