#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korrelo_service {

// A connection while its next request arrives.
struct ParkedConnection
{
    socket_t sock = INVALID_SOCKET;
    std::string received;      // bytes read ahead: the start of the next request, or all of it
    size_t requestsLeft = 0;   // requests the connection may still make
    bool fresh = true;         // no request yet: the client may take longer to start
};

// The server's workers, and the connections that are between requests. A single thread polls
// the waiting connections and hands one to a worker only when the whole request is in (its head
// and a body of declared length), so that neither an idle kept-alive connection nor one that
// drips its request a byte at a time holds a worker. Requests the server would not read whole
// are answered here from their head alone and the connection closed: a head too large (431), an
// expectation (417), a chunked body (411) or another transfer coding (501), a body over the limit
// (413), a length that is no number (400). The bytes held for unfinished requests have one total
// bound: over it, the request that has been arriving longest is refused with 503, since a client
// on loopback sends a whole request within milliseconds and only a stalled one lingers.
class ConnectionPark : public httplib::TaskQueue
{
public:
    struct Limits
    {
        size_t headBytes = 32 * 1024;
        size_t headLines = 100;
        size_t bodyBytes = 1024 * 1024;
        size_t pendingBytes = 64 * 1024 * 1024;         // all unfinished requests together
        std::chrono::milliseconds firstWait{5000};   // a new connection, to its first byte
        std::chrono::milliseconds idle{1000};        // a kept-alive connection, to its next byte
        std::chrono::milliseconds request{30000};    // first byte to the last byte read ahead
    };
    // Runs on a worker with a connection whose request is in; it parks the connection again or
    // closes it.
    using Serve = std::function<void(ParkedConnection)>;

    ConnectionPark(size_t workers, const Limits& limits, Serve serve);
    ~ConnectionPark() override;

    void enqueue(std::function<void()> task) override;
    // Closes every waiting connection, then waits for the workers to finish.
    void shutdown() override;

    // Takes the connection over; after shutdown it is closed at once.
    void park(ParkedConnection connection);

    // How much of a request the bytes hold.
    enum class Progress { Partial, Whole, Refused };
    struct Verdict
    {
        Progress progress = Progress::Partial;
        int status = 0;        // Refused: the status to answer with
        size_t expected = 0;   // Partial with the head in: the bytes the whole request takes
    };
    static Verdict examine(const std::string& received, const Limits& limits);
    // Ends every line of a whole request's head in CRLF, the only ending the request reader takes.
    static void normaliseHead(std::string& received);

private:
    struct Waiting
    {
        ParkedConnection connection;
        std::chrono::steady_clock::time_point deadline;
        std::chrono::steady_clock::time_point since;   // the request's first byte
        size_t counted = 0;      // of the held bytes, this connection's
        size_t expected = 0;     // the whole request's bytes, once its head is in
        bool lingering = false;  // answered and closing: what still arrives is read away
        size_t discarded = 0;
    };
    enum class Outcome { Keep, Drop, Ready };

    void run();
    void wake();
    // Reads what has arrived and judges it.
    Outcome readMore(Waiting& waiting);
    Outcome settle(Waiting& waiting, const Verdict& verdict);
    Outcome drain(Waiting& waiting);
    // Answers from the head alone, then lets the connection linger until the client stops sending.
    void refuse(Waiting& waiting, int status);
    void account(Waiting& waiting);
    void release(Waiting& waiting);
    void handOver(Waiting& waiting);
    // Refuses the oldest unfinished requests until the held bytes are within their bound.
    void evictOverBound(std::list<Waiting>& waiting);
    static void close(socket_t sock);

    const Limits limits;
    const Serve serve;
    httplib::ThreadPool workers;

    std::mutex mutex;
    std::vector<ParkedConnection> arrivals;   // handed over, not yet polled
    bool stopping = false;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread poller;
    size_t held = 0;   // poller thread only
};

} // namespace korrelo_service
