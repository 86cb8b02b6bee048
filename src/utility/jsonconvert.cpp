#include "jsonconvert.h"

#include <algorithm>
#include <map>

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "checkreplyreader.h"
#include "dataitem.h"
#include "dataitemvalue.h"
#include "errormsg.h"
#include "serverinfo.h"
#include "urls.h"

namespace {

using rapidjson::Value;

// Iterative parsing: a reply nested arbitrarily deep cannot exhaust the stack.
bool parseReply(const std::string& json, rapidjson::Document& doc)
{
    doc.Parse<rapidjson::kParseIterativeFlag>(json.data(), json.size());
    return !doc.HasParseError() && doc.IsObject();
}

// The member of an object, or null when it is missing.
const Value* member(const Value& object, const char* name)
{
    const auto it = object.FindMember(name);
    return it == object.MemberEnd() ? nullptr : &it->value;
}

const Value* typed(const Value& object, const char* name, bool (Value::*test)() const)
{
    const Value* v = member(object, name);
    return (v && (v->*test)()) ? v : nullptr;
}

// Copies a string member into target; a missing or non-string member leaves target alone.
void readString(const Value& object, const char* name, std::string& target)
{
    if (const Value* v = typed(object, name, &Value::IsString))
        target.assign(v->GetString(), v->GetStringLength());
}

// The old single-number form of the error types, for replies of version 2 and earlier.
int legacyTypeBits(const std::vector<int>& types)
{
    int bits = 0;
    for (int t : types) {
        switch (t) {
        case TONG_YIN: bits |= 1; break;
        case XING_JIN: bits |= 8; break;
        case YIN_JIN: bits |= 0x10; break;
        case SKIP: bits |= 0x20; break;
        case DAN_ZI: bits |= 2; break;
        case MIN_GAN_CI: bits |= 4; break;
        default: break;
        }
    }
    return bits;
}

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

void writeString(JsonWriter& w, const std::string& s)
{
    w.String(s.data(), static_cast<rapidjson::SizeType>(s.size()));
}

void writeItem(JsonWriter& w, const CheckData& data, int version)
{
    w.StartObject();
    w.Key("words");
    writeString(w, data.hasErrorType(SKIP) ? data.skipWords : data.words);
    w.Key("key");
    writeString(w, data.key);
    w.Key("error_level");
    w.Int(data.errorLevel);
    if (!data.errorTypes.empty()) {
        w.Key("error_type");
        if (version > 2) {
            w.StartArray();
            for (int t : data.errorTypes)
                w.Int(t);
            w.EndArray();
        } else {
            w.Int(legacyTypeBits(data.errorTypes));
        }
    }
    if (!data.pos.empty()) {
        w.Key("pos");
        w.StartArray();
        for (const _CHECK_DATA_POS_& p : data.pos) {
            w.StartObject();
            w.Key("index_begin");
            w.Uint(p.begin);
            w.Key("index_end");
            w.Uint(p.end);
            w.EndObject();
        }
        w.EndArray();
    }
    if (data.dataItem && !data.dataItem->values.empty()) {
        const DataItem& item = *data.dataItem;
        w.Key("data_item");
        w.StartObject();
        w.Key("key");
        writeString(w, item.key ? item.key : "");
        w.Key("values");
        w.StartArray();
        int written = 0;
        for (const DataItemValue* v : item.values) {
            if (!v)
                continue;
            if (written++ == 11)
                break;
            w.StartObject();
            w.Key("value");
            writeString(w, v->value ? v->value : "");
            w.Key("frequency");
            w.Int(v->GetCount());
            w.EndObject();
        }
        w.EndArray();
        w.EndObject();
    }
    w.EndObject();
}

bool sameFinding(const CheckData& a, const CheckData& b)
{
    return a.errorLevel == b.errorLevel && a.errorTypes == b.errorTypes;
}

} // namespace

bool JSONToCheckData(std::string& json, std::vector<std::shared_ptr<CheckData>>& items, _CHECK_OTHER_DATA_& other)
{
    return CheckReplyReader::read(json, items, other);
}

bool JSONToServer(std::string& json, ServerInfo& info)
{
    rapidjson::Document doc;
    if (!parseReply(json, doc))
        return false;
    readString(doc, "error_id", info.error_id);
    readString(doc, "error_msg", info.error_msg);
    readString(doc, "access_token", info.access_token);
    readString(doc, "check_server", info.check_server);
    // A page size of 0 or less would stop every check; keep the one we have.
    if (const Value* v = typed(doc, "check_char_max", &Value::IsInt)) {
        if (v->GetInt() > 0)
            info.check_char_max = v->GetInt();
    }
    if (const Value* v = member(doc, "is_vip"))
        info.is_vip = v->IsTrue();
    readString(doc, "vip_end_date", info.vip_end_date);
    readString(doc, "user_name", info.user_name);
    return true;
}

std::string ResultToJSON(std::vector<std::shared_ptr<CheckData>>& items, int minLevel, int version, bool dedupe,
                         bool isVip)
{
    std::vector<const CheckData*> toWrite;
    int withheld = 0;
    std::multimap<std::string, const CheckData*> seen;
    for (std::size_t m = 0; m < items.size(); ++m) {
        const CheckData* data = items[m].get();
        if (!data || data->errorLevel < minLevel)
            continue;
        if (dedupe) {
            const auto range = seen.equal_range(data->words);
            const bool repeat = std::any_of(range.first, range.second,
                                            [data](const auto& entry) { return sameFinding(*entry.second, *data); });
            if (repeat)
                continue;
            seen.emplace(data->words, data);
        }
        // Without VIP rights every third finding of the list is held back.
        if (!isVip && m != 0 && m % 3 == 0) {
            ++withheld;
            continue;
        }
        toWrite.push_back(data);
    }

    rapidjson::StringBuffer buffer;
    JsonWriter w(buffer);
    w.StartObject();
    w.Key("vip_error_count");
    w.Int(withheld);
    if (!toWrite.empty()) {
        w.Key("check_data");
        w.StartArray();
        for (const CheckData* data : toWrite)
            writeItem(w, *data, version);
        w.EndArray();
    }
    // One error pair only: the VIP notice when findings were held back, else "nothing found" when
    // nothing was written.
    if (withheld > 0) {
        w.Key("error_id");
        w.String("vip_error_count");
        w.Key("error_msg");
        writeString(w, " " + std::to_string(withheld) + " 个高级错误未显示，只提供给 VIP 会员。访问下面网址升级为 VIP。"
                           + GetWebUrl(URL_VIP, "", "", 0));
    } else if (toWrite.empty()) {
        w.Key("error_id");
        w.String("not_found_error");
        w.Key("error_msg");
        w.String("没有找到错误。");
    }
    w.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

namespace {

// What makes two results one: the same words, types and suggestions. Equal words alone are not enough,
// since a service may flag the same words at two places with different fixes (的 → 地 here, 的 → 得 there).
std::string joinKey(const CheckData& data)
{
    std::string key = data.words;
    key += '\0';
    for (int type : data.errorTypes)
        key += std::to_string(type) + ',';
    key += '\0';
    if (data.dataItem) {
        std::vector<std::string> values;
        data.dataItem->getValues(values);
        for (const std::string& value : values) {
            key += value;
            key += '\0';
        }
    }
    return key;
}

} // namespace

void CleanCheckData(std::vector<std::shared_ptr<CheckData>>& items)
{
    std::map<std::string, std::shared_ptr<CheckData>> byKey;
    std::vector<std::shared_ptr<CheckData>> kept;
    for (std::shared_ptr<CheckData>& data : items) {
        if (!data)
            continue;
        // The first item of each kind wins; the places of its equals go with it, behind its own, so
        // that every flagged occurrence stays marked and offers what the service offered there.
        auto [first, fresh] = byKey.try_emplace(joinKey(*data), data);
        if (fresh)
            kept.push_back(data);
        else
            first->second->pos.insert(first->second->pos.end(), data->pos.begin(), data->pos.end());
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const std::shared_ptr<CheckData>& a, const std::shared_ptr<CheckData>& b) {
                         return a->words < b->words;
                     });
    items = std::move(kept);
}
