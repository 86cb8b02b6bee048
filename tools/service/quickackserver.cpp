#include "quickackserver.h"

#include "quickackstream.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace korrelo_service {

namespace {

int milliseconds(time_t seconds, time_t microseconds)
{
    return static_cast<int>(seconds * 1000 + microseconds / 1000);
}

} // namespace

QuickAckServer::QuickAckServer(size_t workers, size_t pendingBytes)
{
    // Made when listening starts, after every limit has been set.
    new_task_queue = [this, workers, pendingBytes] {
        ConnectionPark::Limits limits;
        limits.bodyBytes = payload_max_length_;
        // One request of the largest size always fits, however its pieces arrived.
        limits.pendingBytes = std::max(pendingBytes, limits.bodyBytes + 2 * limits.headBytes + 64 * 1024);
        limits.firstWait = std::chrono::milliseconds(milliseconds(read_timeout_sec_, read_timeout_usec_));
        limits.idle = std::chrono::seconds(keep_alive_timeout_sec_);
        auto* queue = new ConnectionPark(workers, limits, [this](ParkedConnection c) { serve(std::move(c)); });
        park = queue;
        return queue;
    };
}

bool QuickAckServer::process_and_close_socket(socket_t sock)
{
    // The library writes a reply's headers and body apart: without this on the connection itself
    // (the listening socket's setting is not carried over) the body would wait for the client's
    // delayed acknowledgement of the headers.
    int on = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ParkedConnection connection;
    connection.sock = sock;
    connection.requestsLeft = keep_alive_max_count_;
    park->park(std::move(connection));
    return true;
}

void QuickAckServer::serve(ParkedConnection c)
{
    QuickAckStream stream(c.sock, milliseconds(read_timeout_sec_, read_timeout_usec_),
                          milliseconds(write_timeout_sec_, write_timeout_usec_), std::move(c.received));
    bool closed = false;
    const bool answered = process_request(stream, c.requestsLeft <= 1, closed, nullptr);
    if (!answered || closed || c.requestsLeft <= 1 || svr_sock_ == INVALID_SOCKET) {
        ::shutdown(c.sock, SHUT_RDWR);
        ::close(c.sock);
        return;
    }
    --c.requestsLeft;
    c.fresh = false;
    c.received = stream.takeBuffered();
    park->park(std::move(c));
}

} // namespace korrelo_service
