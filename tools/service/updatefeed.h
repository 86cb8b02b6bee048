#pragma once

#include <cstdint>
#include <string>

namespace korrelo_service {

// What the update feed announces; set at start-up and through /control/config.
struct UpdateSettings
{
    std::string version = "3.5";
    uint64_t size = 1024 * 1024;
    std::string openUrl;
    int mandatory = 0;    // 1 true, 0 false, -1 the key is left out
};

// The feed's JSON: a "linux" entry describing the file this service serves, and a "windows"
// entry that differs from it in every value, so a client reading the wrong entry is caught.
class UpdateFeed
{
public:
    static std::string json(const UpdateSettings& settings, const std::string& root);
    static std::string fileName(const std::string& version);
};

} // namespace korrelo_service
