#pragma once

#include <httplib.h>

namespace korrelo_service {

// The plain HTTP server with each connection read through a QuickAckStream; the rest (routing,
// keep-alive limits, time-outs) is the library's.
class QuickAckServer : public httplib::Server
{
private:
    bool process_and_close_socket(socket_t sock) override;
    // Waits for the next request of a kept-alive connection; false when it times out, fails or
    // the server stops.
    bool waitForRequest(socket_t sock) const;
};

} // namespace korrelo_service
