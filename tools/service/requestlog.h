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

// The latest service requests (control requests excepted), kept in memory up to a capacity and,
// when a file is given, every one appended to it as one JSON object per line.
class RequestLog
{
public:
    // The oldest entries go first; 0 keeps none in memory.
    void setCapacity(size_t entries);
    void setFile(const std::string& path);
    void add(LoggedRequest entry);
    void clear();
    std::vector<LoggedRequest> entries() const;

    static std::string toJson(const LoggedRequest& entry);
    std::string toJsonArray() const;

private:
    mutable std::mutex mutex;
    std::deque<LoggedRequest> list;
    size_t capacity = 256;
    std::ofstream file;
    int next = 1;
};

} // namespace korrelo_service
