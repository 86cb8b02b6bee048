#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace korrelo_service {

struct Account
{
    std::string userName;
    std::string password;
    bool isVip = false;
    std::string vipEndDate;
};

// The service's accounts, the access tokens issued at login and each account's own dictionary.
// Shared by the server's worker threads, hence the lock.
class Accounts
{
public:
    // Used when no account is given on the command line.
    static std::vector<Account> builtIn();

    void reset(const std::vector<Account>& accounts);
    void addOrReplace(const Account& account);

    // A new token for a right user name and password; nothing otherwise.
    std::optional<std::string> login(const std::string& userName, const std::string& password);
    std::optional<Account> byToken(const std::string& token) const;

    void addWord(const std::string& userName, const std::string& word);
    std::vector<std::string> words(const std::string& userName) const;

private:
    mutable std::mutex mutex;
    std::vector<Account> accounts;
    std::map<std::string, std::string> tokens;   // token -> user name
    std::map<std::string, std::vector<std::string>> dictionaries;
    unsigned issued = 0;
};

} // namespace korrelo_service
