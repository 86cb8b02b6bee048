#pragma once

#include "servicecore.h"
#include "serviceoptions.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace korrelo_service {

// The HTTP server around ServiceCore: binds, serves on a thread of its own, stops cleanly even
// while requests hang on purpose.
class ServiceServer
{
public:
    explicit ServiceServer(const ServiceOptions& options);
    ~ServiceServer();
    ServiceServer(const ServiceServer&) = delete;
    ServiceServer& operator=(const ServiceServer&) = delete;

    // Binds (port 0: a free one) and starts serving; false with error set when binding fails.
    bool start(std::string& error);
    void stop();

    int port() const { return boundPort; }
    std::string host() const { return options.host; }
    // http://HOST:PORT/ (https:// with TLS)
    std::string rootUrl() const;
    ServiceCore& core() { return serviceCore; }

private:
    const ServiceOptions options;
    ServiceCore serviceCore;
    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    int boundPort = 0;
    std::atomic<bool> listening{false};
};

} // namespace korrelo_service
