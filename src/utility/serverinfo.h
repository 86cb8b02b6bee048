#pragma once

#include <string>

#include "utility_export.h"

// Account and service state of the client, filled from login and account replies.
class UTILITY_EXPORT ServerInfo
{
public:
    ServerInfo();
    ServerInfo(const ServerInfo& other);
    ServerInfo(ServerInfo&& other) noexcept;
    ServerInfo& operator=(const ServerInfo& other);
    ServerInfo& operator=(ServerInfo&& other) noexcept;
    ~ServerInfo();

    // Forgets the error of the last reply, before the next request.
    void clearError();

    int check_char_max = 3000;   // characters one check request may carry
    std::string access_token;
    std::string local_access_token;   // from the settings, never from a reply
    std::string check_server;
    std::string error_id;
    std::string error_msg;
    bool is_vip = false;
    std::string vip_end_date;
    std::string user_name;

private:
    void clearStrings();
};
