#include "errormsg.h"

#include <charconv>
#include <cstring>
#include <optional>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "numbertext.h"
#include "siteroots.h"
#include "strconvert.h"

namespace {

std::string messageOf(const std::string& id)
{
    struct Entry
    {
        const char* id;
        const char* message;
    };
    static const Entry kMessages[] = {
        {"local_access_token_error", "Local Access Token 错误。"},
        {"login_error", "账号或密码错误，请重新登录。"},
        {"server_error", "服务出现错误，请稍后再试。"},
        {"server_busy", "服务器忙，请稍后再试。"},
        {"no_login", "请先登录，然后再校对！"},
        {"login_again", "用户验证失败或登录过期，请重新登录。"},
        {"db_error", "数据库出现错误，请稍后再试。"},
        {"param_error", "参数错误，请更新软件。"},
        {"no_text", "没有要校对的文字。"},
        {"not_found_error", "没有找到错误。"},
    };
    if (id == "old_client")
        return "您的软件版本太老，请下载最新版本 " + siteroots::webSiteAddress();
    if (id == "is_disable")
        return "此账号已被封禁，请联系我们客服 " + siteroots::webSiteAddress();
    for (const Entry& e : kMessages) {
        if (id == e.id)
            return e.message;
    }
    return std::string();
}

// One list piece read the way the service's clients always have: leading blanks and a sign allowed,
// digits up to the first other character. Nothing for no number or a value outside int.
std::optional<int> leadingInt(const std::string& piece)
{
    const char* p = piece.c_str();
    const char* end = p + std::strlen(p);
    while (p < end && numbertext::isBlank(*p))
        ++p;
    if (p < end && *p == '+') {
        ++p;
        if (p == end || *p < '0' || *p > '9')
            return std::nullopt;
    }
    int value = 0;
    const auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc() || next == p)
        return std::nullopt;
    return value;
}

template <typename Add>
void parseList(const std::string& text, Add add)
{
    std::vector<std::string> pieces;
    split(text, ',', false, pieces);
    for (const std::string& piece : pieces) {
        const std::optional<int> value = leadingInt(piece);
        if (value && *value > 0)
            add(*value);
    }
}

} // namespace

std::string GetErrorMsg(std::string errorId)
{
    // Written through the JSON writer so that any id, however long or quoted, gives valid JSON.
    const std::string message = messageOf(errorId);
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    writer.Key("error_id");
    writer.String(errorId.data(), static_cast<rapidjson::SizeType>(errorId.size()));
    writer.Key("error_msg");
    writer.String(message.data(), static_cast<rapidjson::SizeType>(message.size()));
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

std::string GetCheckWhatString(int code)
{
    switch (code) {
    case UNKOWN: return "UNKOWN";
    case TONG_YIN: return "TONG_YIN";
    case XING_JIN: return "XING_JIN";
    case YIN_JIN: return "YIN_JIN";
    case SKIP: return "SKIP";
    case CUO_CI_KU: return "CUO_CI_KU";
    case JI_CHU_CUO_CI_KU: return "JI_CHU_CUO_CI_KU";
    case DAN_ZI: return "DAN_ZI";
    case CHONG_FU: return "CHONG_FU";
    case FEI_CHANG_YONG: return "FEI_CHANG_YONG";
    case QUE_KONG_GE: return "QUE_KONG_GE";
    case ERROR_FULLWIDTH_ASCII: return "ERROR_FULLWIDTH_ASCII";
    case ZI: return "ZI";
    case MIN_GAN_CI: return "MIN_GAN_CI";
    case REN_MING: return "REN_MING";
    case ZHI_WU: return "ZHI_WU";
    case LING_DAO_PAI_XU: return "LING_DAO_PAI_XU";
    case BIAO_DIAN_BU_PI_PEI: return "BIAO_DIAN_BU_PI_PEI";
    case BIAO_DIAN: return "BIAO_DIAN";
    case BIAO_DIAN_DUO_YU: return "BIAO_DIAN_DUO_YU";
    case SHU_ZI: return "SHU_ZI";
    case DI_MING: return "DI_MING";
    default: return std::string();
    }
}

bool SplitCheckWhat(std::string text, std::vector<int>& codes)
{
    parseList(text, [&codes](int v) { codes.push_back(v); });
    return !codes.empty();
}

bool SplitDictIDs(std::string text, std::set<int>& ids)
{
    parseList(text, [&ids](int v) { ids.insert(v); });
    return !ids.empty();
}
