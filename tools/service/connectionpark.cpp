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

// How long an answered connection may go on sending before it is closed over its unread bytes,
// and how much of it is read away meanwhile.
constexpr auto kLinger = std::chrono::milliseconds(1000);
constexpr size_t kLingerBytes = 4 * 1024 * 1024;

// The end of the head (just past its blank line) when it lies within the first `within` bytes,
// else npos. A line may end in CRLF or in a bare LF. Only the head is searched: a body read
// ahead is not scanned again with every piece.
size_t headEnd(const std::string& text, size_t within)
{
    const std::string_view head(text.data(), std::min(text.size(), within));
    size_t lineStart = 0;
    for (size_t lf = head.find('\n'); lf != std::string::npos; lf = head.find('\n', lineStart)) {
        // The request line itself is never the blank line.
        if (lineStart > 0 && (lf == lineStart || (lf == lineStart + 1 && head[lineStart] == '\r')))
            return lf + 1;
        lineStart = lf + 1;
    }
    return std::string::npos;
}

bool startsWithNoCase(const std::string& text, size_t at, const char* prefix)
{
    for (size_t i = 0; prefix[i]; ++i, ++at) {
        if (at >= text.size() || std::tolower(static_cast<unsigned char>(text[at])) != prefix[i])
            return false;
    }
    return true;
}

std::string trimmed(const std::string& value)
{
    const size_t first = value.find_first_not_of(" \t");
    const size_t last = value.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
}

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Every value of a header in the head, in order.
std::vector<std::string> headerValues(const std::string& head, const char* lowerName)
{
    std::vector<std::string> values;
    for (size_t line = head.find('\n'); line != std::string::npos && line + 1 < head.size();
         line = head.find('\n', line + 1)) {
        if (!startsWithNoCase(head, line + 1, lowerName))
            continue;
        const size_t from = line + 1 + std::char_traits<char>::length(lowerName);
        const size_t to = head.find('\n', from);
        values.push_back(trimmed(head.substr(from, to == std::string::npos ? std::string::npos : to - from)));
    }
    return values;
}

// The status a head is refused with before its body is read, or 0 when the request can be read
// whole; body is then the length of the body that follows the head.
int judgeHead(const std::string& head, size_t limit, size_t& body)
{
    body = 0;
    if (!headerValues(head, "expect:").empty())
        return 417;
    const std::vector<std::string> codings = headerValues(head, "transfer-encoding:");
    if (!codings.empty())
        return codings.size() == 1 && lowered(codings.front()) == "chunked" ? 411 : 501;
    // A GET's body is never read, whatever its length says.
    const std::string method = head.substr(0, head.find(' '));
    if (method != "POST" && method != "PUT" && method != "PATCH" && method != "DELETE" && method != "PRI")
        return 0;
    const std::vector<std::string> lengths = headerValues(head, "content-length:");
    if (lengths.empty())
        return 0;
    for (const std::string& length : lengths) {
        // Two lengths that differ leave the body's end in doubt.
        if (length.empty() || length.find_first_not_of("0123456789") != std::string::npos || length != lengths.front())
            return 400;
    }
    if (lengths.front().size() > 15)
        return 413;
    const unsigned long long bytes = std::strtoull(lengths.front().c_str(), nullptr, 10);
    if (bytes > limit)
        return 413;
    body = static_cast<size_t>(bytes);
    return 0;
}

const char* reasonOf(int status)
{
    switch (status) {
    case 400: return "Bad Request";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 417: return "Expectation Failed";
    case 431: return "Request Header Fields Too Large";
    case 501: return "Not Implemented";
    default: return "Service Unavailable";
    }
}

std::string refusal(int status)
{
    const std::string reason = reasonOf(status);
    return "HTTP/1.1 " + std::to_string(status) + " " + reason
        + "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(reason.size())
        + "\r\nConnection: close\r\n\r\n" + reason;
}

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

ConnectionPark::Verdict ConnectionPark::examine(const std::string& received, const Limits& limits)
{
    Verdict verdict;
    const size_t end = headEnd(received, limits.headBytes + 4);
    const size_t headSize = end == std::string::npos ? received.size() : end;
    // The request line, the headers and the blank line.
    const size_t lines = static_cast<size_t>(std::count(received.begin(), received.begin() + headSize, '\n'));
    if (headSize > limits.headBytes || lines > limits.headLines + 2) {
        verdict.progress = Progress::Refused;
        verdict.status = 431;
        return verdict;
    }
    if (end == std::string::npos)
        return verdict;
    size_t body = 0;
    verdict.status = judgeHead(received.substr(0, end), limits.bodyBytes, body);
    if (verdict.status != 0) {
        verdict.progress = Progress::Refused;
        return verdict;
    }
    verdict.expected = end + body;
    verdict.progress = received.size() >= verdict.expected ? Progress::Whole : Progress::Partial;
    return verdict;
}

void ConnectionPark::normaliseHead(std::string& received)
{
    const size_t end = headEnd(received, received.size());
    if (end == std::string::npos)
        return;
    bool bare = false;
    for (size_t lf = received.find('\n'); lf < end && !bare; lf = received.find('\n', lf + 1))
        bare = lf == 0 || received[lf - 1] != '\r';
    if (!bare)
        return;
    std::string head;
    head.reserve(end * 2);
    size_t lineStart = 0;
    for (size_t lf = received.find('\n'); lf < end; lf = received.find('\n', lineStart)) {
        const size_t lineEnd = lf > lineStart && received[lf - 1] == '\r' ? lf - 1 : lf;
        head.append(received, lineStart, lineEnd - lineStart);
        head += "\r\n";
        lineStart = lf + 1;
    }
    received.replace(0, end, head);
}

void ConnectionPark::account(Waiting& w)
{
    const size_t now = w.connection.received.capacity();
    held = held - w.counted + now;
    w.counted = now;
}

void ConnectionPark::release(Waiting& w)
{
    held -= w.counted;
    w.counted = 0;
    std::string().swap(w.connection.received);
}

void ConnectionPark::handOver(Waiting& w)
{
    held -= w.counted;
    w.counted = 0;
    ParkedConnection ready = std::move(w.connection);
    w.connection.sock = INVALID_SOCKET;
    normaliseHead(ready.received);
    workers.enqueue([this, ready]() mutable { serve(std::move(ready)); });
}

void ConnectionPark::refuse(Waiting& w, int status)
{
    const std::string reply = refusal(status);
    [[maybe_unused]] const ssize_t sent =
        ::send(w.connection.sock, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::shutdown(w.connection.sock, SHUT_WR);
    release(w);
    // Closing over unread bytes resets the connection, and the client might lose the answer with
    // it: what the client still sends is read away for a moment first.
    w.lingering = true;
    w.deadline = Clock::now() + kLinger;
}

ConnectionPark::Outcome ConnectionPark::settle(Waiting& w, const Verdict& verdict)
{
    switch (verdict.progress) {
    case Progress::Refused:
        refuse(w, verdict.status);
        return Outcome::Keep;
    case Progress::Whole:
        return Outcome::Ready;
    case Progress::Partial:
        // The body's room is taken once, not doubled piece by piece.
        if (verdict.expected > w.connection.received.capacity())
            w.connection.received.reserve(verdict.expected);
        w.expected = verdict.expected;
        account(w);
        return Outcome::Keep;
    }
    return Outcome::Keep;
}

ConnectionPark::Outcome ConnectionPark::drain(Waiting& w)
{
    char scratch[16 * 1024];
    for (;;) {
        const ssize_t got = ::recv(w.connection.sock, scratch, sizeof scratch, MSG_DONTWAIT);
        if (got == 0)
            return Outcome::Drop;
        if (got < 0)
            return errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK ? Outcome::Keep : Outcome::Drop;
        w.discarded += static_cast<size_t>(got);
        if (w.discarded > kLingerBytes)
            return Outcome::Drop;
    }
}

ConnectionPark::Outcome ConnectionPark::readMore(Waiting& w)
{
    if (w.lingering)
        return drain(w);
    ParkedConnection& c = w.connection;
    char chunk[16 * 1024];
    for (;;) {
        const ssize_t got = ::recv(c.sock, chunk, sizeof chunk, MSG_DONTWAIT);
        if (got == 0)
            return Outcome::Drop;
        if (got < 0)
            return errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK ? Outcome::Keep : Outcome::Drop;
        // A client that writes the head and the body apart waits for the head's acknowledgement
        // before it sends the body; a delayed one would stall every request by 40 ms.
        int on = 1;
        ::setsockopt(c.sock, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
        if (c.received.empty()) {
            // From its first byte a request has a bounded time to arrive, however slowly it drips.
            w.since = Clock::now();
            w.deadline = w.since + limits.request;
        }
        c.received.append(chunk, static_cast<size_t>(got));
        // Once the head has been judged, a body dripping in is not a reason to judge it again.
        if (w.expected > 0 && c.received.size() < w.expected) {
            account(w);
            continue;
        }
        const Outcome outcome = settle(w, examine(c.received, limits));
        if (outcome != Outcome::Keep || w.lingering)
            return outcome;
    }
}

void ConnectionPark::evictOverBound(std::list<Waiting>& waiting)
{
    while (held > limits.pendingBytes) {
        Waiting* oldest = nullptr;
        for (Waiting& w : waiting) {
            if (w.counted > 0 && !w.lingering && (!oldest || w.since < oldest->since))
                oldest = &w;
        }
        if (!oldest)
            return;
        refuse(*oldest, 503);
    }
}

void ConnectionPark::run()
{
    std::list<Waiting> waiting;
    std::vector<pollfd> polled;
    const auto settleOrDrop = [&](std::list<Waiting>::iterator it, Outcome outcome) {
        if (outcome == Outcome::Drop) {
            release(*it);
            close(it->connection.sock);
            return waiting.erase(it);
        }
        if (outcome == Outcome::Ready) {
            handOver(*it);
            return waiting.erase(it);
        }
        return ++it;
    };
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (stopping)
                break;
            for (ParkedConnection& c : arrivals) {
                const auto now = Clock::now();
                waiting.push_back({std::move(c), now + (c.fresh ? limits.firstWait : limits.idle), now});
            }
            arrivals.clear();
        }
        // A pipelined request may already be whole, or refused, when its connection comes back.
        for (auto it = waiting.begin(); it != waiting.end();) {
            Outcome outcome = Outcome::Keep;
            if (!it->lingering && it->counted == 0 && !it->connection.received.empty())
                outcome = settle(*it, examine(it->connection.received, limits));
            it = settleOrDrop(it, outcome);
        }
        evictOverBound(waiting);

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
            Outcome outcome = Outcome::Keep;
            if (polled[index].revents)
                outcome = readMore(*it);
            else if (now >= it->deadline)
                outcome = Outcome::Drop;
            it = settleOrDrop(it, outcome);
            // Others are only marked here, never removed, so the poll results stay in step.
            if (held > limits.pendingBytes)
                evictOverBound(waiting);
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

} // namespace korrelo_service
