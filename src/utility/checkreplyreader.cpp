#include "checkreplyreader.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>
#include <utility>

#include <rapidjson/encodedstream.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include "dataitem.h"
#include "numbertext.h"

namespace {

using Member = CheckReplyReader::Member;

// Only the names of one length are compared, each against a constant, so a key costs about one
// comparison.
template <std::size_t N>
uint32_t is(std::string_view name, const char (&text)[N], Member member)
{
    return std::memcmp(name.data(), text, N - 1) == 0 ? member : Member::None;
}

uint32_t replyMember(std::string_view name)
{
    switch (name.size()) {
    case 8: return is(name, "error_id", Member::ErrorId);
    case 9: return is(name, "error_msg", Member::ErrorMsg);
    case 10: return is(name, "check_data", Member::List);
    case 15: return is(name, "vip_error_count", Member::VipCount);
    default: return Member::None;
    }
}

uint32_t itemMember(std::string_view name)
{
    switch (name.size()) {
    case 3: return is(name, "key", Member::ItemKey) | is(name, "pos", Member::Positions);
    case 5: return is(name, "words", Member::Words);
    case 9: return is(name, "data_item", Member::Suggestions);
    case 10: return is(name, "error_type", Member::Types);
    case 11: return is(name, "error_level", Member::Level);
    default: return Member::None;
    }
}

uint32_t positionMember(std::string_view name)
{
    switch (name.size()) {
    case 9: return is(name, "index_end", Member::End);
    case 11: return is(name, "index_begin", Member::Begin);
    default: return Member::None;
    }
}

uint32_t suggestionsMember(std::string_view name)
{
    switch (name.size()) {
    case 3: return is(name, "key", Member::SuggestionKey);
    case 6: return is(name, "values", Member::Values);
    default: return Member::None;
    }
}

uint32_t valueMember(std::string_view name)
{
    switch (name.size()) {
    case 5: return is(name, "value", Member::Text);
    case 9: return is(name, "frequency", Member::Frequency);
    default: return Member::None;
    }
}

// The members of each kind of object, forgotten when a new one opens.
constexpr uint32_t replyMembers = Member::ErrorId | Member::VipCount | Member::ErrorMsg | Member::List;
constexpr uint32_t itemMembers = Member::Level | Member::Types | Member::ItemKey | Member::Words | Member::Positions
    | Member::Suggestions;
constexpr uint32_t positionMembers = Member::Begin | Member::End;
constexpr uint32_t suggestionsMembers = Member::SuggestionKey | Member::Values;
constexpr uint32_t valueMembers = Member::Frequency | Member::Text;

bool fitsInt(int64_t v, bool aboveInt64)
{
    return !aboveInt64 && v >= INT_MIN && v <= INT_MAX;
}

bool fitsUint(int64_t v, bool aboveInt64)
{
    return !aboveInt64 && v >= 0 && v <= static_cast<int64_t>(UINT_MAX);
}

// Replies are a few levels deep and take the recursive parse, about twice as fast; one nested
// deeper is read again by the iterative parse, which cannot exhaust the stack however deep it goes.
constexpr std::size_t recursionLimit = 64;

// Bytes of reply copy kept for a thread's next reply; an unusually large one is let go.
constexpr std::size_t keptCopySize = 1 << 20;

} // namespace

CheckReplyReader::CheckReplyReader(std::vector<std::shared_ptr<CheckData>>& items, _CHECK_OTHER_DATA_& other,
                                   bool recursive)
    : items(items)
    , other(other)
    , itemsBefore(items.size())
    , depthLimit(recursive ? recursionLimit : 0)
{
}

bool CheckReplyReader::read(const std::string& json, std::vector<std::shared_ptr<CheckData>>& items,
                            _CHECK_OTHER_DATA_& other)
{
    CheckReplyReader shallow(items, other, true);
    switch (shallow.parse(json)) {
    case Outcome::Read: return shallow.result();
    case Outcome::Failed: return false;
    case Outcome::TooDeep: break;
    }
    CheckReplyReader deep(items, other, false);
    return deep.parse(json) == Outcome::Read && deep.result();
}

CheckReplyReader::Outcome CheckReplyReader::parse(const std::string& json)
{
    rapidjson::Reader parser;
    bool failed = false;
    if (depthLimit) {
        // Strings are decoded in place in a copy of the reply, not byte by byte into the parser's
        // own buffer. The byte-order mark is skipped the way the stream of the iterative pass does.
        std::size_t start = 0;
        for (const unsigned char mark : {0xEFu, 0xBBu, 0xBFu}) {
            if (start < json.size() && static_cast<unsigned char>(json[start]) == mark)
                ++start;
        }
        // The copy's buffer serves the thread's next reply too: a large allocation per reply, in a
        // heap left full of small blocks by freed results, costs a good part of the parse.
        static thread_local std::string copy;
        copy.assign(json, start);
        rapidjson::InsituStringStream stream(&copy[0]);
        failed = parser.Parse<rapidjson::kParseInsituFlag>(stream, *this).IsError();
        if (copy.capacity() > keptCopySize)
            std::string().swap(copy);
    } else {
        rapidjson::MemoryStream bytes(json.data(), json.size());
        rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream> stream(bytes);
        failed = parser.Parse<rapidjson::kParseIterativeFlag>(stream, *this).IsError();
    }
    if (!failed)
        return Outcome::Read;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(itemsBefore), items.end());
    return tooDeep ? Outcome::TooDeep : Outcome::Failed;
}

bool CheckReplyReader::result()
{
    if (replyFound & ErrorId)
        other.error_id.swap(errorId);
    if (replyFound & VipCount)
        other.vip_error_count = vipCount;
    if (replyFound & ErrorMsg)
        other.error_msg.swap(errorMsg);
    switch (list) {
    case ListForm::Missing: return !other.error_msg.empty() || !other.error_id.empty();
    case ListForm::NotArray: return false;
    case ListForm::Array: break;
    }
    return !items.empty();
}

CheckReplyReader::Member CheckReplyReader::takeMember()
{
    return std::exchange(pending, None);
}

bool CheckReplyReader::Null()
{
    return otherScalar();
}

bool CheckReplyReader::Bool(bool)
{
    return otherScalar();
}

bool CheckReplyReader::Double(double)
{
    return otherScalar();
}

bool CheckReplyReader::RawNumber(const char*, unsigned, bool)
{
    return otherScalar();
}

bool CheckReplyReader::Int(int i)
{
    return integer(i, false);
}

bool CheckReplyReader::Uint(unsigned u)
{
    return integer(u, false);
}

bool CheckReplyReader::Int64(int64_t i)
{
    return integer(i, false);
}

bool CheckReplyReader::Uint64(uint64_t u)
{
    const bool above = u > static_cast<uint64_t>(INT64_MAX);
    return integer(above ? 0 : static_cast<int64_t>(u), above);
}

bool CheckReplyReader::integer(int64_t value, bool aboveInt64)
{
    switch (place) {
    case Place::Start: return false;   // the reply is not an object
    case Place::Types:
        if (fitsInt(value, aboveInt64))
            types.push_back(static_cast<int>(value));
        return true;
    case Place::Reply:
    case Place::Item:
    case Place::Position:
    case Place::Suggestions:
    case Place::Value: break;
    default: return true;
    }
    const Member member = takeMember();
    switch (member) {
    case VipCount:
        if (fitsInt(value, aboveInt64)) {
            vipCount = static_cast<int>(value);
            replyFound |= VipCount;
        }
        break;
    case List: list = ListForm::NotArray; break;
    case Level:
        item->errorLevel = aboveInt64 ? INT_MAX : static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
        break;
    case Types:
        if (fitsInt(value, aboveInt64))
            item->errorTypes.push_back(static_cast<int>(value));
        break;
    case Suggestions: newSuggestions(); break;
    case Begin:
    case End:
        if (fitsUint(value, aboveInt64)) {
            (member == Begin ? begin : end) = static_cast<uint32_t>(value);
            found |= member;
        }
        break;
    case Frequency:
        if (fitsInt(value, aboveInt64)) {
            frequency = static_cast<int>(value);
            found |= Frequency;
        }
        break;
    default: break;
    }
    return true;
}

bool CheckReplyReader::String(const char* str, unsigned length, bool)
{
    if (place == Place::Start)
        return false;
    const std::string_view value(str, length);
    switch (takeMember()) {
    case ErrorId:
        errorId.assign(value);
        replyFound |= ErrorId;
        break;
    case ErrorMsg:
        errorMsg.assign(value);
        replyFound |= ErrorMsg;
        break;
    case List: list = ListForm::NotArray; break;
    case Level: item->errorLevel = numbertext::leadingInt(value); break;
    case ItemKey: item->key.assign(value); break;
    case Words: item->words.assign(value); break;
    case Suggestions: newSuggestions(); break;
    case SuggestionKey: item->dataItem->setKey(std::string(value)); break;
    case Text:
        text.assign(value);
        found |= Text;
        break;
    default: break;
    }
    return true;
}

bool CheckReplyReader::otherScalar()
{
    if (place == Place::Start)
        return false;
    switch (takeMember()) {
    case List: list = ListForm::NotArray; break;
    case Suggestions: newSuggestions(); break;
    default: break;
    }
    return true;
}

bool CheckReplyReader::Key(const char* str, unsigned length, bool)
{
    const std::string_view name(str, length);
    uint32_t member = None;
    switch (place) {
    case Place::Reply: member = replyMember(name); break;
    case Place::Item: member = itemMember(name); break;
    case Place::Position: member = positionMember(name); break;
    case Place::Suggestions: member = suggestionsMember(name); break;
    case Place::Value: member = valueMember(name); break;
    default: return true;
    }
    // A repeated member is ignored: the first one counts.
    pending = (seen & member) ? None : static_cast<Member>(member);
    seen |= member;
    return true;
}

bool CheckReplyReader::StartObject()
{
    return container(true);
}

bool CheckReplyReader::StartArray()
{
    return container(false);
}

bool CheckReplyReader::container(bool isObject)
{
    if (++depth > depthLimit && depthLimit) {
        tooDeep = true;
        return false;
    }
    switch (place) {
    case Place::Skipped: return true;
    case Place::Start:
        if (!isObject)
            return false;
        enterObject(Place::Reply);
        return true;
    case Place::List:
        if (!isObject)
            break;
        item = std::make_shared<CheckData>();
        enterObject(Place::Item);
        return true;
    case Place::Positions:
        if (!isObject)
            break;
        found = 0;
        enterObject(Place::Position);
        return true;
    case Place::Values:
        if (!isObject)
            break;
        found = 0;
        enterObject(Place::Value);
        return true;
    default: break;
    }
    switch (takeMember()) {
    case List:
        if (isObject) {
            list = ListForm::NotArray;
            break;
        }
        list = ListForm::Array;
        place = Place::List;
        return true;
    case Types:
        if (isObject)
            break;
        types.clear();
        place = Place::Types;
        return true;
    case Positions:
        if (isObject)
            break;
        positions.clear();
        place = Place::Positions;
        return true;
    case Suggestions:
        newSuggestions();
        if (!isObject)
            break;
        enterObject(Place::Suggestions);
        return true;
    case Values:
        if (isObject)
            break;
        suggestions.clear();
        place = Place::Values;
        return true;
    default: break;
    }
    skip();
    return true;
}

void CheckReplyReader::skip()
{
    resume = place;
    place = Place::Skipped;
    skipEnd = depth - 1;
}

void CheckReplyReader::enterObject(Place next)
{
    switch (next) {
    case Place::Reply: seen &= ~replyMembers; break;
    case Place::Item: seen &= ~itemMembers; break;
    case Place::Position: seen &= ~positionMembers; break;
    case Place::Suggestions: seen &= ~suggestionsMembers; break;
    case Place::Value: seen &= ~valueMembers; break;
    default: break;
    }
    place = next;
}

void CheckReplyReader::newSuggestions()
{
    item->dataItem = std::make_shared<DataItem>();
}

bool CheckReplyReader::endSkipped()
{
    --depth;
    if (place != Place::Skipped)
        return false;
    if (depth == skipEnd)
        place = resume;
    return true;
}

bool CheckReplyReader::EndObject(unsigned)
{
    if (endSkipped())
        return true;
    switch (place) {
    case Place::Reply: place = Place::Done; break;
    case Place::Item:
        finishItem();
        place = Place::List;
        break;
    case Place::Position:
        if (found == (Begin | End))
            positions.push_back({begin, end});
        place = Place::Positions;
        break;
    case Place::Suggestions: place = Place::Item; break;
    case Place::Value:
        if (found == (Frequency | Text))
            suggestions.emplace_back(text, frequency);
        place = Place::Values;
        break;
    default: break;
    }
    return true;
}

bool CheckReplyReader::EndArray(unsigned)
{
    if (endSkipped())
        return true;
    switch (place) {
    case Place::List: place = Place::Reply; break;
    // Copied once the count is known, so each list takes one allocation of its own size.
    case Place::Types:
        item->errorTypes.assign(types.begin(), types.end());
        place = Place::Item;
        break;
    case Place::Positions:
        item->pos.assign(positions.begin(), positions.end());
        place = Place::Item;
        break;
    case Place::Values: {
        DataItem& target = *item->dataItem;
        target.values.reserve(suggestions.size());
        for (const auto& [value, count] : suggestions)
            target.addValue(value, count);
        place = Place::Suggestions;
        break;
    }
    default: break;
    }
    return true;
}

void CheckReplyReader::finishItem()
{
    const bool hasValues = item->dataItem && !item->dataItem->values.empty();
    if (hasValues || !item->words.empty())
        items.push_back(std::move(item));
    item.reset();
}
