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
// the waiting connections and hands one to a worker only when the head of its request and a
// body of declared length (up to the body limit) are in, so that neither an idle kept-alive
// connection nor one that drips its request a byte at a time holds a worker. A head too large
// is refused with 431 before the rest is read.
class ConnectionPark : public httplib::TaskQueue
{
public:
    struct Limits
    {
        size_t headBytes = 32 * 1024;
        size_t headLines = 100;
        size_t bodyBytes = 1024 * 1024;
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
    enum class Progress { Partial, Whole, TooLarge };
    static Progress examine(const std::string& received, const Limits& limits);

private:
    struct Waiting
    {
        ParkedConnection connection;
        std::chrono::steady_clock::time_point deadline;
    };

    void run();
    void wake();
    // Reads what has arrived; false when the connection is done for (closed, failed or refused).
    bool readMore(Waiting& waiting, bool& whole);
    static void close(socket_t sock);
    static void refuse(socket_t sock);

    const Limits limits;
    const Serve serve;
    httplib::ThreadPool workers;

    std::mutex mutex;
    std::vector<ParkedConnection> arrivals;   // handed over, not yet polled
    bool stopping = false;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread poller;
};

} // namespace korrelo_service
