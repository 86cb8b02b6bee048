#pragma once

#include <httplib.h>

#include <string>
#include <vector>

namespace korrelo_service {

// A connection's byte stream that acknowledges every read at once. Clients that send the headers
// and the body of a request in two writes without TCP_NODELAY hold the body back until the
// headers are acknowledged; a delayed acknowledgement (40 ms on Linux) would then stall each
// request of a kept-alive connection.
class QuickAckStream : public httplib::Stream
{
public:
    // readAhead: bytes of the connection already received, served before the socket is read.
    QuickAckStream(socket_t sock, int readTimeoutMs, int writeTimeoutMs, std::string readAhead = std::string());

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return sock; }

    bool hasBuffered() const { return begin < end; }
    // The bytes received but not read yet (the start of a next request), taken out.
    std::string takeBuffered();

private:
    ssize_t receive(char* ptr, size_t size);

    const socket_t sock;
    const int readTimeoutMs;
    const int writeTimeoutMs;
    // Headers are read a byte at a time: one receive fills this instead of one per byte.
    std::vector<char> buffer = std::vector<char>(16 * 1024);
    size_t begin = 0;
    size_t end = 0;
};

} // namespace korrelo_service
