#pragma once

#include "formfields.h"

#include <deque>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace korrelo_service {

// One request as it arrived: the fields in the order the client sent them, already decoded.
struct LoggedRequest
{
    int seq = 0;
    std::string method;
    std::string path;
    std::string kind;       // probe, auth, login, report-error, add-to-dict, check, unknown
    int site = -1;          // 0-3 under /siteN/, -1 at the bare root
    bool redirected = false;   // arrived under /moved after a redirect
    std::string contentType;
    std::string userAgent;
    FormFields query;
    FormFields fields;
    std::string body;
};

// The latest service requests (control requests excepted), kept in memory up to a number and a
// size in bytes and, when a file is given, every one appended to it as one JSON object per line.
class RequestLog
{
public:
    // The oldest entries go first; 0 entries keeps none in memory. The latest entry is kept even
    // when it alone passes the bytes, so a test can always read the request it just made.
    void setCapacity(size_t entries, size_t bytes);
    // What an entry holds in memory, near enough.
    static size_t sizeOf(const LoggedRequest& entry);
    size_t bytes() const;
    void setFile(const std::string& path);
    void add(LoggedRequest entry);
    void clear();
    std::vector<LoggedRequest> entries() const;

    static std::string toJson(const LoggedRequest& entry);
    std::string toJsonArray() const;

private:
    mutable std::mutex mutex;
    std::deque<LoggedRequest> list;
    void trim();

    size_t capacity = 256;
    size_t capacityBytes = 32 * 1024 * 1024;
    size_t heldBytes = 0;
    std::ofstream file;
    int next = 1;
};

} // namespace korrelo_service
