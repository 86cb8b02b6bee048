#include "replywriter.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "errormsg.h"

namespace korrelo_service {

namespace {

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

void key(JsonWriter& w, const char* name)
{
    w.Key(name);
}

void string(JsonWriter& w, const std::string& text)
{
    w.String(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
}

} // namespace

std::string ReplyWriter::errorMessage(const std::string& errorId)
{
    // The programs' own table, so the service can never word an error differently from them.
    rapidjson::Document reply;
    reply.Parse(GetErrorMsg(errorId).c_str());
    const auto message = reply.FindMember("error_msg");
    return message != reply.MemberEnd() && message->value.IsString() ? message->value.GetString() : std::string();
}

std::string ReplyWriter::errorReply(const std::string& errorId)
{
    return GetErrorMsg(errorId);
}

std::string ReplyWriter::checkReply(const std::vector<Finding>& shown, int withheld, const std::string& vipUrl)
{
    rapidjson::StringBuffer buffer;
    JsonWriter w(buffer);
    w.StartObject();
    key(w, "vip_error_count");
    w.Int(withheld);
    if (!shown.empty()) {
        key(w, "check_data");
        w.StartArray();
        for (const Finding& f : shown) {
            w.StartObject();
            key(w, "words");
            string(w, f.words);
            key(w, "key");
            string(w, f.words);
            key(w, "error_level");
            w.Int(f.level);
            key(w, "error_type");
            w.StartArray();
            w.Int(f.type);
            w.EndArray();
            key(w, "pos");
            w.StartArray();
            w.StartObject();
            key(w, "index_begin");
            w.Uint(f.begin);
            key(w, "index_end");
            w.Uint(f.end);
            w.EndObject();
            w.EndArray();
            if (!f.suggestions.empty()) {
                key(w, "data_item");
                w.StartObject();
                key(w, "key");
                string(w, f.words);
                key(w, "values");
                w.StartArray();
                for (const std::string& s : f.suggestions) {
                    w.StartObject();
                    key(w, "value");
                    string(w, s);
                    key(w, "frequency");
                    w.Int(1);
                    w.EndObject();
                }
                w.EndArray();
                w.EndObject();
            }
            w.EndObject();
        }
        w.EndArray();
    }
    // One error per reply: a reader finds only the first of two members of the same name, so
    // "withheld for VIP" wins over "nothing found" when every finding was withheld.
    if (withheld > 0) {
        key(w, "error_id");
        string(w, "vip_error_count");
        key(w, "error_msg");
        string(w, " " + std::to_string(withheld) + " 个高级错误未显示，只提供给 VIP 会员。访问下面网址升级为 VIP。" + vipUrl);
    } else if (shown.empty()) {
        key(w, "error_id");
        string(w, "not_found_error");
        key(w, "error_msg");
        string(w, errorMessage("not_found_error"));
    }
    w.EndObject();
    return buffer.GetString();
}

std::string ReplyWriter::accountReply(const Account& account, const std::string& token,
                                      const std::string& checkServer, int checkCharMax)
{
    rapidjson::StringBuffer buffer;
    JsonWriter w(buffer);
    w.StartObject();
    key(w, "access_token");
    string(w, token);
    key(w, "check_server");
    string(w, checkServer);
    key(w, "check_char_max");
    w.Int(checkCharMax);
    key(w, "is_vip");
    w.Bool(account.isVip);
    key(w, "vip_end_date");
    string(w, account.vipEndDate);
    key(w, "user_name");
    string(w, account.userName);
    w.EndObject();
    return buffer.GetString();
}

std::string ReplyWriter::nestedReply(int depth)
{
    if (depth < 1)
        depth = 1;
    std::string text = "{\"check_data\":";
    text.append(static_cast<size_t>(depth), '[');
    text.append(static_cast<size_t>(depth), ']');
    text += '}';
    return text;
}

} // namespace korrelo_service
