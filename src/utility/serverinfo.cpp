#include "serverinfo.h"

#include <utility>

ServerInfo::ServerInfo() = default;
ServerInfo::ServerInfo(const ServerInfo& other) = default;
ServerInfo& ServerInfo::operator=(const ServerInfo& other) = default;
ServerInfo::~ServerInfo() = default;

// Moving copies the numeric fields and leaves the source's strings cleared, not unspecified.
ServerInfo::ServerInfo(ServerInfo&& other) noexcept
    : check_char_max(other.check_char_max)
    , access_token(std::move(other.access_token))
    , local_access_token(std::move(other.local_access_token))
    , check_server(std::move(other.check_server))
    , error_id(std::move(other.error_id))
    , error_msg(std::move(other.error_msg))
    , is_vip(other.is_vip)
    , vip_end_date(std::move(other.vip_end_date))
    , user_name(std::move(other.user_name))
{
    other.clearStrings();
}

ServerInfo& ServerInfo::operator=(ServerInfo&& other) noexcept
{
    if (this != &other) {
        check_char_max = other.check_char_max;
        access_token = std::move(other.access_token);
        local_access_token = std::move(other.local_access_token);
        check_server = std::move(other.check_server);
        error_id = std::move(other.error_id);
        error_msg = std::move(other.error_msg);
        is_vip = other.is_vip;
        vip_end_date = std::move(other.vip_end_date);
        user_name = std::move(other.user_name);
        other.clearStrings();
    }
    return *this;
}

void ServerInfo::clearError()
{
    error_id.clear();
    error_msg.clear();
}

void ServerInfo::clearStrings()
{
    access_token.clear();
    local_access_token.clear();
    check_server.clear();
    clearError();
    vip_end_date.clear();
    user_name.clear();
}
