#pragma once

#include "connectionpark.h"

#include <httplib.h>

namespace korrelo_service {

// The plain HTTP server with each connection read through a QuickAckStream, and kept in a
// ConnectionPark between its requests rather than on a worker; the rest (routing, keep-alive
// limits, time-outs) is the library's.
class QuickAckServer : public httplib::Server
{
public:
    // pendingBytes: the bound on the bytes of all unfinished requests together.
    QuickAckServer(size_t workers, size_t pendingBytes);

private:
    bool process_and_close_socket(socket_t sock) override;
    // Answers the request the park read ahead, then parks the connection again or closes it.
    void serve(ParkedConnection connection);

    ConnectionPark* park = nullptr;   // the running server's, made when it starts listening
};

} // namespace korrelo_service
