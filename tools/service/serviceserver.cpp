#include "serviceserver.h"

#include <httplib.h>

namespace {

// Enough workers that requests told to hang cannot starve the rest.
constexpr size_t kWorkers = 32;

} // namespace

ServiceServer::ServiceServer(const ServiceOptions& opts) : options(opts), serviceCore(opts) {}

ServiceServer::~ServiceServer()
{
    stop();
}

bool ServiceServer::start(std::string& error)
{
    if (server) {
        error = "already running";
        return false;
    }
    server = std::make_unique<httplib::Server>();
    server->new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    server->set_payload_max_length(options.maxBody);
    const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        serviceCore.handle(request, response);
    };
    server->Get(".*", handler);
    server->Post(".*", handler);
    server->Put(".*", handler);
    server->Patch(".*", handler);
    server->Delete(".*", handler);
    server->Options(".*", handler);
    server->set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
        response.status = 500;
        response.set_content("{\"error_id\":\"server_error\",\"error_msg\":\"服务出现错误，请稍后再试。\"}",
                             "application/json");
    });

    if (options.port == 0) {
        boundPort = server->bind_to_any_port(options.host);
    } else {
        boundPort = server->bind_to_port(options.host, options.port) ? options.port : -1;
    }
    if (boundPort <= 0) {
        error = "cannot bind " + options.host + ":" + std::to_string(options.port);
        server.reset();
        boundPort = 0;
        return false;
    }
    serviceCore.setPort(boundPort);
    thread = std::thread([this] { server->listen_after_bind(); });
    return true;
}

void ServiceServer::stop()
{
    if (!server)
        return;
    serviceCore.shutdown();
    server->stop();
    if (thread.joinable())
        thread.join();
    server.reset();
}

std::string ServiceServer::rootUrl() const
{
    return "http://" + options.host + ":" + std::to_string(boundPort) + "/";
}
