#pragma once

#include "accounts.h"
#include "checker.h"
#include "misbehaviour.h"
#include "requestlog.h"
#include "serviceoptions.h"
#include "updatefeed.h"

#include <condition_variable>
#include <mutex>
#include <string>

namespace httplib {
struct Request;
struct Response;
}

namespace korrelo_service {

// The service's protocol and state behind the HTTP server: routing of the site roots, the
// account calls, the check, the misbehaviour a test asked for, and the control interface.
// Called from the server's worker threads at the same time.
class ServiceCore
{
public:
    explicit ServiceCore(ServiceOptions options);

    void handle(const httplib::Request& request, httplib::Response& response);

    // Port the server is bound to, for the addresses the service hands out.
    void setPort(int port);
    // Lets every waiting request go at once; later delays no longer wait.
    void shutdown();
    void reset();

    RequestLog& requestLog() { return log; }
    Misbehaviour& misbehaviour() { return rules; }
    Accounts& accounts() { return users; }

private:
    struct Route
    {
        std::string kind;      // empty: no such path
        int site = -1;
        bool moved = false;
        std::string fileName;  // update-file: the name asked for
    };

    struct Settings
    {
        int checkCharMax = 3000;
        std::string checkServer;
        std::string localAccessToken;
        UpdateSettings update;
    };

    static Route route(const std::string& path);
    void handleService(const httplib::Request& request, httplib::Response& response, const Route& route);
    void handleControl(const httplib::Request& request, httplib::Response& response);
    // Applies /control/config; false (nothing changed) with error set for a value refused.
    bool configure(const FormFields& fields, std::string& error);
    // True when the rule answered the request itself.
    bool misbehave(const MisbehaviourRule& rule, const std::string& kind, const httplib::Request& request,
                   httplib::Response& response);
    void answer(const std::string& kind, const FormFields& fields, const httplib::Request& request,
                httplib::Response& response);
    void answerUpdateFile(const httplib::Request& request, httplib::Response& response, bool drop);
    void answerCheck(const FormFields& fields, const httplib::Request& request, httplib::Response& response);
    // The account of the request's access token, or the error id to answer with.
    std::optional<Account> accountOf(const FormFields& fields, std::string& errorId);

    std::string ownRoot(const httplib::Request& request) const;
    Settings settings() const;
    // Waits ms milliseconds (forever when ms < 0); false when released or shut down first.
    bool wait(int ms);

    const ServiceOptions options;
    const Checker checker;
    Accounts users;
    Misbehaviour rules;
    RequestLog log;

    mutable std::mutex settingsMutex;
    Settings current;
    int port = 0;

    std::mutex waitMutex;
    std::condition_variable waitCondition;
    unsigned releases = 0;
    bool stopping = false;
};

} // namespace korrelo_service
