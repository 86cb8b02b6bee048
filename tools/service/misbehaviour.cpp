#include "misbehaviour.h"

#include <algorithm>

namespace korrelo_service {

namespace {

const char* const kModes[] = {"delay", "status", "malformed", "nested", "redirect", "drop", "hang", "body"};
const char* const kTargets[] = {"any", "probe", "auth", "login", "report-error", "add-to-dict", "check",
                                 "update-feed", "update-file"};

bool oneOf(const std::string& text, const char* const* list, size_t n)
{
    return std::any_of(list, list + n, [&](const char* item) { return text == item; });
}

} // namespace

std::optional<MisbehaviourRule> Misbehaviour::parse(const FormFields& fields, std::string& error)
{
    MisbehaviourRule rule;
    rule.mode = fields.value("mode");
    if (!oneOf(rule.mode, kModes, std::size(kModes))) {
        error = "unknown mode \"" + rule.mode + "\"";
        return std::nullopt;
    }
    rule.target = fields.value("target", "any");
    if (!oneOf(rule.target, kTargets, std::size(kTargets))) {
        error = "unknown target \"" + rule.target + "\"";
        return std::nullopt;
    }
    const std::string site = fields.value("site", "any");
    if (site == "any") {
        rule.site = MisbehaviourRule::kAnySite;
    } else if (site == "root") {
        rule.site = MisbehaviourRule::kRootSite;
    } else if (site.size() == 1 && site[0] >= '0' && site[0] <= '3') {
        rule.site = site[0] - '0';
    } else {
        error = "unknown site \"" + site + "\"";
        return std::nullopt;
    }
    rule.skip = std::max(0, fields.intValue("skip", 0));
    rule.count = std::max(0, fields.intValue("count", 0));
    rule.ms = std::max(0, fields.intValue("ms", 0));
    const int defaultStatus = rule.mode == "redirect" ? 307 : rule.mode == "status" ? 500 : 200;
    rule.status = fields.intValue("status", defaultStatus);
    if (rule.status < 100 || rule.status > 599) {
        error = "status out of range";
        return std::nullopt;
    }
    rule.body = fields.value("body");
    rule.contentType = fields.value("content_type", rule.mode == "status" ? "text/plain" : "application/json");
    rule.location = fields.value("location");
    rule.depth = std::clamp(fields.intValue("depth", 100000), 1, 10000000);
    return rule;
}

void Misbehaviour::add(const MisbehaviourRule& rule)
{
    std::lock_guard<std::mutex> lock(mutex);
    rules.push_back(rule);
}

void Misbehaviour::clear()
{
    std::lock_guard<std::mutex> lock(mutex);
    rules.clear();
}

size_t Misbehaviour::size() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return rules.size();
}

std::optional<MisbehaviourRule> Misbehaviour::strike(const std::string& kind, int site)
{
    std::lock_guard<std::mutex> lock(mutex);
    for (MisbehaviourRule& rule : rules) {
        if (rule.target != "any" && rule.target != kind)
            continue;
        if (rule.site != MisbehaviourRule::kAnySite && rule.site != site)
            continue;
        if (rule.count > 0 && rule.struck >= rule.count)
            continue;
        ++rule.seen;
        if (rule.seen <= rule.skip)
            continue;
        ++rule.struck;
        return rule;
    }
    return std::nullopt;
}

} // namespace korrelo_service
