#include "serviceserver.h"

#include "quickackserver.h"
#include "selfsignedcertificate.h"

#include <httplib.h>

#include <chrono>
#include <cstdlib>

namespace korrelo_service {

namespace {

// Enough workers that requests told to hang cannot starve the rest.
constexpr size_t kWorkers = 32;

// The listening socket, which the library keeps to itself.
struct ListeningSocket : httplib::Server
{
    static socket_t of(const httplib::Server& server) { return server.*(&ListeningSocket::svr_sock_); }
};

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
    if (options.tlsSelfSigned) {
        SelfSignedCertificate certificate;
        if (!certificate.isValid()) {
            error = "cannot make a certificate";
            return false;
        }
        server = std::make_unique<httplib::SSLServer>(certificate.certificate(), certificate.privateKey());
    } else if (options.tls()) {
        server = std::make_unique<httplib::SSLServer>(options.tlsCert.c_str(), options.tlsKey.c_str());
    } else {
        server = std::make_unique<QuickAckServer>(kWorkers, options.maxPending);
    }
    if (!server->is_valid()) {
        error = "cannot use the certificate or key";
        server.reset();
        return false;
    }
    if (options.tls())
        server->new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    server->set_payload_max_length(options.maxBody);
    // Over TLS an idle connection holds a worker until it times out, and stopping waits for the
    // workers; plain connections wait without one, but a short wait keeps the number waiting low.
    server->set_keep_alive_timeout(1);
    // The library closes a connection after five requests; one long check makes eleven, and an
    // ordinary web server keeps a connection for a hundred or more.
    server->set_keep_alive_max_count(100);
    // Headers and body go out in separate writes; without this each reply waits for a delayed ACK.
    server->set_tcp_nodelay(true);
    // Address reuse but not port sharing: a second service on a taken port must fail, not split
    // the requests with the first.
    server->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // The body limit holds only for bodies of declared length; a chunked body could grow without
    // bound, so it is refused before it is read (no client of ours sends one). Over plain HTTP the
    // connection park refuses it, with the other heads it will not serve, before any worker sees it.
    server->set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
        if (request.get_header_value("Transfer-Encoding").find("chunked") == std::string::npos)
            return httplib::Server::HandlerResponse::Unhandled;
        response.status = 411;
        response.set_header("Connection", "close");
        response.set_content("Length Required", "text/plain");
        return httplib::Server::HandlerResponse::Handled;
    });
    const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        serviceCore.handle(request, response);
    };
    server->Get(".*", handler);
    // The library refuses form bodies above 8 KiB before a plain handler runs (a 3000-character
    // piece is about 27 KiB); reading the body ourselves leaves --max-body the one limit.
    server->Post(".*", [this](const httplib::Request& request, httplib::Response& response,
                              const httplib::ContentReader& reader) {
        httplib::Request whole = request;
        // Without a length (chunked bodies never get here) a request has no body: waiting for one
        // would only end in the read time-out.
        if (!request.has_header("Content-Length")) {
            serviceCore.handle(whole, response);
            return;
        }
        const size_t limit = options.maxBody;
        // The library itself stops at a declared length over its limit, before handing over a byte.
        bool tooLarge = std::strtoull(request.get_header_value("Content-Length").c_str(), nullptr, 10) > limit;
        const bool complete = reader([&whole, &tooLarge, limit](const char* data, size_t length) {
            tooLarge = whole.body.size() + length > limit;
            if (!tooLarge)
                whole.body.append(data, length);
            return !tooLarge;
        });
        if (!complete) {
            response.status = tooLarge ? 413 : 400;
            response.set_header("Connection", "close");
            return;
        }
        serviceCore.handle(whole, response);
    });
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
    // The library listens with a queue of five: clients connecting together beyond that are
    // dropped and retried a second later, or reset.
    ::listen(ListeningSocket::of(*server), SOMAXCONN);
    serviceCore.setPort(boundPort);
    listening = true;
    thread = std::thread([this] {
        server->listen_after_bind();
        listening = false;
    });
    // A stop that comes before the loop runs would be lost, and the loop would run for ever.
    while (!server->is_running() && listening)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
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
    return (options.tls() ? "https://" : "http://") + options.host + ":" + std::to_string(boundPort) + "/";
}

} // namespace korrelo_service
