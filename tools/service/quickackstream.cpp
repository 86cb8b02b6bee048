#include "quickackstream.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace korrelo_service {

namespace {

bool waitFor(socket_t sock, short events, int timeoutMs)
{
    pollfd entry{sock, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

void numericAddress(const sockaddr_storage& address, socklen_t length, std::string& ip, int& port)
{
    char host[NI_MAXHOST] = {};
    char service[NI_MAXSERV] = {};
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host, sizeof host, service,
                      sizeof service, NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
        ip = host;
        port = std::atoi(service);
    }
}

} // namespace

QuickAckStream::QuickAckStream(socket_t socket, int readMs, int writeMs, std::string readAhead)
    : sock(socket)
    , readTimeoutMs(readMs)
    , writeTimeoutMs(writeMs)
{
    if (readAhead.size() > buffer.size())
        buffer.resize(readAhead.size());
    std::copy(readAhead.begin(), readAhead.end(), buffer.begin());
    end = readAhead.size();
}

std::string QuickAckStream::takeBuffered()
{
    std::string rest(buffer.data() + begin, end - begin);
    begin = end = 0;
    return rest;
}

bool QuickAckStream::is_readable() const
{
    return hasBuffered() || waitFor(sock, POLLIN, readTimeoutMs);
}

bool QuickAckStream::is_writable() const
{
    return waitFor(sock, POLLOUT, writeTimeoutMs);
}

ssize_t QuickAckStream::receive(char* ptr, size_t size)
{
    if (!waitFor(sock, POLLIN, readTimeoutMs))
        return -1;
    ssize_t got = 0;
    do {
        got = ::recv(sock, ptr, size, 0);
    } while (got < 0 && errno == EINTR);
    if (got > 0) {
        // Quick-ACK mode lapses on its own, so it is asked for again after every read.
        int on = 1;
        ::setsockopt(sock, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
    }
    return got;
}

ssize_t QuickAckStream::read(char* ptr, size_t size)
{
    if (!hasBuffered()) {
        if (size >= buffer.size())
            return receive(ptr, size);
        const ssize_t got = receive(buffer.data(), buffer.size());
        if (got <= 0)
            return got;
        begin = 0;
        end = static_cast<size_t>(got);
    }
    const size_t count = std::min(size, end - begin);
    std::memcpy(ptr, buffer.data() + begin, count);
    begin += count;
    return static_cast<ssize_t>(count);
}

ssize_t QuickAckStream::write(const char* ptr, size_t size)
{
    if (!is_writable())
        return -1;
    ssize_t sent = 0;
    do {
        sent = ::send(sock, ptr, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

void QuickAckStream::get_remote_ip_and_port(std::string& ip, int& port) const
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(sock, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        numericAddress(address, length, ip, port);
}

void QuickAckStream::get_local_ip_and_port(std::string& ip, int& port) const
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        numericAddress(address, length, ip, port);
}

} // namespace korrelo_service
