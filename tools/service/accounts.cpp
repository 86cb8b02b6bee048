#include "accounts.h"

#include <algorithm>
#include <cstdio>

namespace korrelo_service {

std::vector<Account> Accounts::builtIn()
{
    return {
        {"demo", "demo", false, ""},
        {"vip", "vip", true, "2099-12-31"},
        // A password that only survives a correctly encoded form.
        {"plus", "p+ss&w=rd%", false, ""},
    };
}

void Accounts::reset(const std::vector<Account>& list)
{
    std::lock_guard<std::mutex> lock(mutex);
    accounts = list;
    tokens.clear();
    dictionaries.clear();
    issued = 0;
}

void Accounts::addOrReplace(const Account& account)
{
    std::lock_guard<std::mutex> lock(mutex);
    auto it = std::find_if(accounts.begin(), accounts.end(),
                           [&](const Account& a) { return a.userName == account.userName; });
    if (it == accounts.end())
        accounts.push_back(account);
    else
        *it = account;
}

std::optional<std::string> Accounts::login(const std::string& userName, const std::string& password)
{
    std::lock_guard<std::mutex> lock(mutex);
    auto it = std::find_if(accounts.begin(), accounts.end(), [&](const Account& a) {
        return a.userName == userName && a.password == password;
    });
    if (it == accounts.end() || userName.empty())
        return std::nullopt;
    // Tokens are plain address-safe text, since the client puts them into addresses unescaped.
    unsigned hash = 2166136261u;
    for (unsigned char c : userName)
        hash = (hash ^ c) * 16777619u;
    char token[40];
    std::snprintf(token, sizeof token, "tok%04u%08x", ++issued, hash);
    tokens[token] = userName;
    return std::string(token);
}

std::optional<Account> Accounts::byToken(const std::string& token) const
{
    std::lock_guard<std::mutex> lock(mutex);
    auto t = tokens.find(token);
    if (t == tokens.end())
        return std::nullopt;
    for (const Account& a : accounts) {
        if (a.userName == t->second)
            return a;
    }
    return std::nullopt;
}

void Accounts::addWord(const std::string& userName, const std::string& word)
{
    std::lock_guard<std::mutex> lock(mutex);
    auto& list = dictionaries[userName];
    if (std::find(list.begin(), list.end(), word) == list.end())
        list.push_back(word);
}

std::vector<std::string> Accounts::words(const std::string& userName) const
{
    std::lock_guard<std::mutex> lock(mutex);
    auto it = dictionaries.find(userName);
    return it == dictionaries.end() ? std::vector<std::string>() : it->second;
}

} // namespace korrelo_service
