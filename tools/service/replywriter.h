#pragma once

#include "accounts.h"
#include "checker.h"

#include <string>
#include <vector>

namespace korrelo_service {

// The JSON texts the service answers with, compact, members in the order the client's reader
// expects them.
class ReplyWriter
{
public:
    // The message shown to the user for a service error id; empty for an unknown id.
    static std::string errorMessage(const std::string& errorId);
    static std::string errorReply(const std::string& errorId);

    // A check reply: the shown findings, or "not_found_error" when there are none (never an empty
    // array); withheld VIP-only findings are counted and explained with the VIP page's address.
    static std::string checkReply(const std::vector<Finding>& shown, int withheld, const std::string& vipUrl);

    // The account object of a login or authorisation reply.
    static std::string accountReply(const Account& account, const std::string& token,
                                    const std::string& checkServer, int checkCharMax);

    // A reply that is nested depth levels deep, for testing the client's parser.
    static std::string nestedReply(int depth);
};

} // namespace korrelo_service
