#pragma once

#include "accounts.h"
#include "misbehaviour.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korrelo_service {

// Everything the service starts with; a control reset returns to exactly this.
struct ServiceOptions
{
    std::string host = "127.0.0.1";
    int port = 8765;
    std::vector<Account> accounts = Accounts::builtIn();
    std::string localAccessToken;    // empty: local tokens are not checked
    std::string checkServer;         // empty: this server's own root
    int checkCharMax = 3000;
    static constexpr long kMaxCheckCharMax = 1000000;
    std::string updateVersion = "3.5";     // the update feed's "latest-version"
    uint64_t updateSize = 1024 * 1024;     // bytes of the update file
    // Well above any real installer, yet hashed in under half a second: the feed is answered
    // while the hash is made.
    static constexpr uint64_t kMaxUpdateSize = 256ull * 1024 * 1024;
    size_t maxBody = 1024 * 1024;
    // The bytes of all requests still arriving, together: enough for dozens of the largest
    // requests at once, far below what hundreds of stalled ones would hold.
    size_t maxPending = 64 * 1024 * 1024;
    std::string requestLogFile;
    // Requests kept for /control/requests: tests read only the latest few, and a service under
    // load must not grow with every request it ever saw.
    size_t requestLogSize = 256;
    // ... and at most this many bytes of them: the checked texts make up most of an entry.
    size_t requestLogBytes = 32 * 1024 * 1024;
    std::vector<MisbehaviourRule> rules;
    bool control = true;
    bool tlsSelfSigned = false;      // HTTPS with a certificate made at start-up
    std::string tlsCert, tlsKey;     // HTTPS with these PEM files
    bool tls() const { return tlsSelfSigned || !tlsCert.empty(); }
    bool help = false;

    // Reads the command line; nothing (and error set) on a bad option.
    static std::optional<ServiceOptions> parse(const std::vector<std::string>& args, std::string& error);
    static std::string helpText();
    // A whole decimal number from low to high, as every numeric setting takes it.
    static std::optional<long> number(const std::string& text, long low, long high);
};

} // namespace korrelo_service
