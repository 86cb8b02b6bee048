#include "quickackserver.h"

#include "quickackstream.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace korrelo_service {

namespace {

int milliseconds(time_t seconds, time_t microseconds)
{
    return static_cast<int>(seconds * 1000 + microseconds / 1000);
}

} // namespace

bool QuickAckServer::waitForRequest(socket_t sock) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(keep_alive_timeout_sec_);
    // Short slices, so that a stopping server is noticed.
    while (svr_sock_ != INVALID_SOCKET) {
        pollfd entry{sock, POLLIN, 0};
        const int ready = ::poll(&entry, 1, 10);
        if (ready > 0)
            return true;
        if ((ready < 0 && errno != EINTR) || std::chrono::steady_clock::now() >= deadline)
            return false;
    }
    return false;
}

bool QuickAckServer::process_and_close_socket(socket_t sock)
{
    // The library writes a reply's headers and body apart: without this on the connection itself
    // (the listening socket's setting is not carried over) the body would wait for the client's
    // delayed acknowledgement of the headers.
    int on = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    QuickAckStream stream(sock, milliseconds(read_timeout_sec_, read_timeout_usec_),
                          milliseconds(write_timeout_sec_, write_timeout_usec_));
    bool result = false;
    for (size_t left = keep_alive_max_count_; left > 0; --left) {
        if (!stream.hasBuffered() && !waitForRequest(sock))
            break;
        bool closed = false;
        result = process_request(stream, left == 1, closed, nullptr);
        if (!result || closed)
            break;
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return result;
}

} // namespace korrelo_service
