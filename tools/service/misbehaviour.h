#pragma once

#include "formfields.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace korrelo_service {

// One way of failing on purpose, set by a test. Fields (form names in brackets):
// target [target]    request kind: probe, auth, login, report-error, add-to-dict, check,
//                    update-feed, update-file, or any
// site [site]        0-3 for /siteN/, root for the bare root, any (default)
// mode [mode]        delay, status, malformed, nested, redirect, drop, hang, body
// skip [skip]        matching requests answered normally before this rule strikes (default 0)
// count [count]      requests it strikes; 0 = every one (default 0)
// ms [ms]            wait before answering (delay mode; any other mode waits first too)
// status [status]    HTTP status (status, body: default 500 / 200; redirect: default 307)
// body [body], content_type [content_type]   the body of status and body modes (content type
//                    default: text/plain for status, application/json for body)
// location [location]   redirect target (default: the same address under /moved)
// depth [depth]      nesting of the nested mode (default 100000)
struct MisbehaviourRule
{
    std::string target = "any";
    int site = kAnySite;
    std::string mode;
    int skip = 0;
    int count = 0;
    int ms = 0;
    int status = 0;
    std::string body;
    std::string contentType;
    std::string location;
    int depth = 100000;

    static constexpr int kAnySite = -2;
    static constexpr int kRootSite = -1;

    int seen = 0;      // matching requests so far
    int struck = 0;    // requests it failed
};

// The rules in force, tried in the order they were added; the first that strikes wins.
class Misbehaviour
{
public:
    static std::optional<MisbehaviourRule> parse(const FormFields& fields, std::string& error);

    void add(const MisbehaviourRule& rule);
    void clear();
    size_t size() const;

    // The rule that strikes this request, if any (counts it).
    std::optional<MisbehaviourRule> strike(const std::string& kind, int site);

private:
    mutable std::mutex mutex;
    std::vector<MisbehaviourRule> rules;
};

} // namespace korrelo_service
