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
    std::string updateVersion = "3.5";     // the update feed's "latest-version"
    uint64_t updateSize = 1024 * 1024;     // bytes of the update file
    // Well above any real installer, yet hashed in under half a second: the feed is answered
    // while the hash is made.
    static constexpr uint64_t kMaxUpdateSize = 256ull * 1024 * 1024;
    size_t maxBody = 1024 * 1024;
    std::string requestLogFile;
    // Requests kept for /control/requests: tests read only the latest few, and a service under
    // load must not grow with every request it ever saw.
    size_t requestLogSize = 256;
    std::vector<MisbehaviourRule> rules;
    bool control = true;
    bool tlsSelfSigned = false;      // HTTPS with a certificate made at start-up
    std::string tlsCert, tlsKey;     // HTTPS with these PEM files
    bool tls() const { return tlsSelfSigned || !tlsCert.empty(); }
    bool help = false;

    // Reads the command line; nothing (and error set) on a bad option.
    static std::optional<ServiceOptions> parse(const std::vector<std::string>& args, std::string& error);
    static std::string helpText();
};

} // namespace korrelo_service
