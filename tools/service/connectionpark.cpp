#include "connectionpark.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace korrelo_service {

namespace {

using Clock = std::chrono::steady_clock;

// The end of the head (just past its blank line) when it lies within the first `within` bytes,
// else npos. Only the head is searched: a body read ahead is not scanned again with every piece.
size_t headEnd(const std::string& text, size_t within)
{
    const std::string_view head(text.data(), std::min(text.size(), within));
    const size_t crlf = head.find("\r\n\r\n");
    const size_t lf = head.find("\n\n");
    const size_t a = crlf == std::string::npos ? crlf : crlf + 4;
    const size_t b = lf == std::string::npos ? lf : lf + 2;
    return std::min(a, b);
}

bool startsWithNoCase(const std::string& text, size_t at, const char* prefix)
{
    for (size_t i = 0; prefix[i]; ++i, ++at) {
        if (at >= text.size() || std::tolower(static_cast<unsigned char>(text[at])) != prefix[i])
            return false;
    }
    return true;
}

// Reads a header's value from the head; found is false when the header is absent.
std::string headerValue(const std::string& head, const char* lowerName, bool& found)
{
    found = false;
    for (size_t line = head.find('\n'); line != std::string::npos && line + 1 < head.size();
         line = head.find('\n', line + 1)) {
        if (!startsWithNoCase(head, line + 1, lowerName))
            continue;
        found = true;
        const size_t from = line + 1 + std::char_traits<char>::length(lowerName);
        const size_t to = head.find('\n', from);
        std::string value = head.substr(from, to == std::string::npos ? std::string::npos : to - from);
        const size_t first = value.find_first_not_of(" \t");
        const size_t last = value.find_last_not_of(" \t\r");
        return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
    }
    return std::string();
}

// The body bytes to read ahead after the head: only a plain body of declared length within the
// limit, of a method whose body the server reads at all (a GET's is never read, whatever its
// length says). Others (none, chunked, too large, or one the client sends only after
// "100 Continue") are left to the worker, which answers or refuses them at once.
size_t bodyToReadAhead(const std::string& head, size_t limit)
{
    const std::string method = head.substr(0, head.find(' '));
    if (method != "POST" && method != "PUT" && method != "PATCH" && method != "DELETE" && method != "PRI")
        return 0;
    bool found = false;
    headerValue(head, "transfer-encoding:", found);
    if (found)
        return 0;
    headerValue(head, "expect:", found);
    if (found)
        return 0;
    const std::string length = headerValue(head, "content-length:", found);
    if (!found || length.empty() || length.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    const unsigned long long bytes = std::strtoull(length.c_str(), nullptr, 10);
    return bytes <= limit ? static_cast<size_t>(bytes) : 0;
}

const char kTooLarge[] =
    "HTTP/1.1 431 Request Header Fields Too Large\r\n"
    "Content-Type: text/plain\r\n"
    "Content-Length: 31\r\n"
    "Connection: close\r\n"
    "\r\n"
    "Request Header Fields Too Large";

} // namespace

ConnectionPark::ConnectionPark(size_t workerCount, const Limits& l, Serve s)
    : limits(l)
    , serve(std::move(s))
    , workers(workerCount)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeRead = ends[0];
        wakeWrite = ends[1];
    }
    poller = std::thread([this] { run(); });
}

ConnectionPark::~ConnectionPark()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake();
    if (poller.joinable())
        poller.join();
    ::close(wakeRead);
    ::close(wakeWrite);
}

void ConnectionPark::enqueue(std::function<void()> task)
{
    workers.enqueue(std::move(task));
}

void ConnectionPark::shutdown()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake();
    if (poller.joinable())
        poller.join();
    workers.shutdown();
}

void ConnectionPark::park(ParkedConnection connection)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!stopping) {
            arrivals.push_back(std::move(connection));
            connection.sock = INVALID_SOCKET;
        }
    }
    if (connection.sock != INVALID_SOCKET) {
        close(connection.sock);
        return;
    }
    wake();
}

void ConnectionPark::wake()
{
    const char byte = 0;
    [[maybe_unused]] const ssize_t ignored = ::write(wakeWrite, &byte, 1);
}

ConnectionPark::Progress ConnectionPark::examine(const std::string& received, const Limits& limits)
{
    const size_t end = headEnd(received, limits.headBytes + 4);
    const size_t headSize = end == std::string::npos ? received.size() : end;
    // The request line, the headers and the blank line.
    const size_t lines = static_cast<size_t>(std::count(received.begin(), received.begin() + headSize, '\n'));
    if (headSize > limits.headBytes || lines > limits.headLines + 2)
        return Progress::TooLarge;
    if (end == std::string::npos)
        return Progress::Partial;
    const size_t body = bodyToReadAhead(received.substr(0, end), limits.bodyBytes);
    return received.size() >= end + body ? Progress::Whole : Progress::Partial;
}

bool ConnectionPark::readMore(Waiting& waiting, bool& whole)
{
    whole = false;
    ParkedConnection& c = waiting.connection;
    char chunk[16 * 1024];
    for (;;) {
        const ssize_t got = ::recv(c.sock, chunk, sizeof chunk, MSG_DONTWAIT);
        if (got == 0)
            return false;
        if (got < 0)
            return errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK;
        // A client that writes the head and the body apart waits for the head's acknowledgement
        // before it sends the body; a delayed one would stall every request by 40 ms.
        int on = 1;
        ::setsockopt(c.sock, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
        if (c.received.empty()) {
            // From its first byte a request has a bounded time to arrive, however slowly it drips.
            waiting.deadline = Clock::now() + limits.request;
        }
        c.received.append(chunk, static_cast<size_t>(got));
        switch (examine(c.received, limits)) {
        case Progress::TooLarge:
            refuse(c.sock);
            return false;
        case Progress::Whole:
            whole = true;
            return true;
        case Progress::Partial:
            break;
        }
    }
}

void ConnectionPark::run()
{
    std::list<Waiting> waiting;
    std::vector<pollfd> polled;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (stopping)
                break;
            for (ParkedConnection& c : arrivals) {
                const auto wait = c.fresh ? limits.firstWait : limits.idle;
                waiting.push_back({std::move(c), Clock::now() + wait});
            }
            arrivals.clear();
        }
        // A pipelined request may already be whole when its connection comes back.
        for (auto it = waiting.begin(); it != waiting.end();) {
            if (!it->connection.received.empty() && examine(it->connection.received, limits) == Progress::Whole) {
                ParkedConnection ready = std::move(it->connection);
                it = waiting.erase(it);
                workers.enqueue([this, ready]() mutable { serve(std::move(ready)); });
            } else {
                ++it;
            }
        }

        auto next = Clock::now() + std::chrono::seconds(1);
        polled.assign(1, pollfd{wakeRead, POLLIN, 0});
        for (const Waiting& w : waiting) {
            polled.push_back(pollfd{w.connection.sock, POLLIN, 0});
            next = std::min(next, w.deadline);
        }
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
        if (::poll(polled.data(), polled.size(), static_cast<int>(std::max<long long>(0, ms) + 1)) < 0
            && errno != EINTR)
            break;
        if (polled[0].revents) {
            char drain[64];
            while (::read(wakeRead, drain, sizeof drain) > 0) {
            }
        }

        const auto now = Clock::now();
        size_t index = 1;
        for (auto it = waiting.begin(); it != waiting.end(); ++index) {
            bool keep = true;
            bool whole = false;
            if (polled[index].revents)
                keep = readMore(*it, whole);
            else if (now >= it->deadline)
                keep = false;
            if (!keep) {
                close(it->connection.sock);
                it = waiting.erase(it);
            } else if (whole) {
                ParkedConnection ready = std::move(it->connection);
                it = waiting.erase(it);
                workers.enqueue([this, ready]() mutable { serve(std::move(ready)); });
            } else {
                ++it;
            }
        }
    }
    for (Waiting& w : waiting)
        close(w.connection.sock);
    std::lock_guard<std::mutex> lock(mutex);
    for (ParkedConnection& c : arrivals)
        close(c.sock);
    arrivals.clear();
}

void ConnectionPark::close(socket_t sock)
{
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
}

void ConnectionPark::refuse(socket_t sock)
{
    [[maybe_unused]] const ssize_t sent = ::send(sock, kTooLarge, sizeof kTooLarge - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    ::shutdown(sock, SHUT_WR);
    // What has already arrived is read away first: closing over unread bytes resets the
    // connection, and the client might lose the answer with it.
    char scratch[16 * 1024];
    for (size_t drained = 0; drained < 1024 * 1024;) {
        const ssize_t got = ::recv(sock, scratch, sizeof scratch, MSG_DONTWAIT);
        if (got <= 0)
            break;
        drained += static_cast<size_t>(got);
    }
}

} // namespace korrelo_service
