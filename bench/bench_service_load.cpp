// The local service under load, started as scripts/run starts it and spoken to over loopback
// only: many kept-alive clients at once, hostile connections beside a normal client (dripping,
// announcing what the service will not read, stalling half-way through large bodies), bursts of
// new connections, and a long run of the largest checks against the request log.
// KORRELO_SERVICE_BIN names another build of the program to compare. Each benchmark's time is
// the mean time of one check (1,500 characters, or 1 MiB for the log); the baseline is the
// 1,500-character check from a single client on an idle service. The counters carry the figures
// that matter beside the ratios: the service's peak memory, the slowest check, and the
// connections that failed.

#include "ratio.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const char* const kToken = "load";

// The service program as a child process on a free port.
class ServiceProcess
{
public:
    // extra: arguments after the ones scripts/run passes (the control interface is left on:
    // the request log is kept only with it).
    explicit ServiceProcess(const std::vector<std::string>& extra = {})
    {
        const char* override = std::getenv("KORRELO_SERVICE_BIN");
        const std::string program = override && *override ? override : KORRELO_SERVICE_PATH;
        int out[2];
        if (::pipe(out) != 0)
            return;
        pid = ::fork();
        if (pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<std::string> args{program, "--port", "0", "--local-access-token", kToken};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            for (std::string& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            std::_Exit(127);
        }
        ::close(out[1]);
        std::string line;
        char c = 0;
        while (line.find('\n') == std::string::npos && ::read(out[0], &c, 1) == 1)
            line += c;
        ::close(out[0]);
        const size_t colon = line.rfind(':');
        if (colon != std::string::npos)
            port = std::atoi(line.c_str() + colon + 1);
    }
    ~ServiceProcess()
    {
        if (pid <= 0)
            return;
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // Peak resident memory so far, in MB.
    double peakMegabytes() const { return statusMegabytes("VmHWM:"); }
    // Resident memory now, in MB.
    double residentMegabytes() const { return statusMegabytes("VmRSS:"); }

    int port = 0;

private:
    double statusMegabytes(const std::string& wanted) const
    {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        std::string key;
        while (status >> key) {
            if (key == wanted) {
                double kb = 0;
                status >> kb;
                return kb / 1024;
            }
        }
        return 0;
    }

    pid_t pid = -1;
};

// 1,500 characters of prose with an error in every sentence, percent-encoded as a client sends it.
std::string checkBody()
{
    const std::string sentence = "他门说这个问题以经解决了，我们的的确确很高兴。";   // 23 characters
    std::string text;
    for (int i = 0; i < 1500 / 23 + 1; ++i)
        text += sentence;
    // Cut at 1,500 characters, all three bytes long.
    text.resize(1500 * 3);
    std::string body = std::string("local_access_token=") + kToken + "&text=";
    static const char* const hex = "0123456789ABCDEF";
    for (unsigned char c : text) {
        body += '%';
        body += hex[c >> 4];
        body += hex[c & 15];
    }
    return body;
}

std::string checkRequest(const std::string& body)
{
    return "POST /api/v3/check HTTP/1.1\r\nHost: 127.0.0.1\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: "
        + std::to_string(body.size()) + "\r\n\r\n" + body;
}

const std::string kRequest = checkRequest(checkBody());

// A check just under the service's 1 MiB body limit: English prose, sent as it stands, with a
// Chinese sentence holding errors now and then.
const std::string kLargeRequest = [] {
    const std::string prefix = std::string("local_access_token=") + kToken + "&text=";
    const std::string english = "The quick brown fox jumps over the lazy dog while the clock ticks on. ";
    const std::string chinese = "他门说这个问题以经解决了。";
    std::string body = prefix;
    while (body.size() + english.size() * 20 + chinese.size() < 1024 * 1024 - 256) {
        for (int i = 0; i < 20; ++i)
            body += english;
        body += chinese;
    }
    return checkRequest(body);
}();

// One kept-alive client connection speaking just enough HTTP/1.1 for the check.
class Connection
{
public:
    Connection() = default;
    ~Connection() { close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool open(int port)
    {
        close();
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        timeval wait{30, 0};   // the client's own patience
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 || fail();
    }

    // Sends the check and reads the whole reply; false on any failure, with reset set when the
    // connection was reset.
    bool exchange(const std::string& request = kRequest)
    {
        if (!sendAll(request))
            return false;
        return readReply();
    }

    // Sends bytes as they stand; false (and the connection closed) when the service has closed it.
    bool sendAll(const std::string& bytes)
    {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return fail();
            sent += static_cast<size_t>(n);
        }
        return true;
    }

    bool readReply()
    {
        std::string reply;
        size_t headEnd = std::string::npos;
        size_t length = 0;
        char buffer[64 * 1024];
        for (;;) {
            if (headEnd != std::string::npos && reply.size() >= headEnd + length)
                break;
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                return fail();
            reply.append(buffer, static_cast<size_t>(n));
            if (headEnd == std::string::npos && (headEnd = reply.find("\r\n\r\n")) != std::string::npos) {
                headEnd += 4;
                const size_t at = reply.find("Content-Length: ");
                length = at < headEnd ? std::strtoull(reply.c_str() + at + 16, nullptr, 10) : 0;
            }
        }
        if (reply.compare(0, 12, "HTTP/1.1 200") != 0)
            return false;
        // The service closes a connection after its last allowed request.
        if (reply.find("Connection: close") < headEnd)
            close();
        return true;
    }

    bool isOpen() const { return fd >= 0; }
    int socket() const { return fd; }
    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    bool reset = false;

private:
    bool fail()
    {
        reset = reset || errno == ECONNRESET;
        close();
        return false;
    }

    int fd = -1;
};

struct Tally
{
    std::atomic<long> checks{0};
    std::atomic<long> failures{0};
    std::atomic<long> resets{0};
    std::atomic<long> totalMicros{0};
    std::atomic<long> worstMicros{0};

    void add(Clock::duration took)
    {
        const long us = static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(took).count());
        ++checks;
        totalMicros += us;
        noteWorst(us);
    }

    // A failed check counts too: one that waited for the client's time-out is the worst of all.
    void noteWorst(long us)
    {
        long worst = worstMicros.load();
        while (us > worst && !worstMicros.compare_exchange_weak(worst, us)) {
        }
    }
};

// One check on a kept-alive connection; a connection the service has closed meanwhile is opened
// again once, as any client would.
void checkOnce(Connection& connection, int port, Tally& tally, const std::string& request = kRequest)
{
    const auto start = Clock::now();
    bool done = false;
    for (int attempt = 0; attempt < 2 && !done; ++attempt) {
        const bool reused = connection.isOpen();
        if (!reused && !connection.open(port))
            break;
        done = connection.exchange(request);
        if (!reused)
            break;
    }
    if (!done) {
        tally.noteWorst(static_cast<long>(
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count()));
        ++tally.failures;
        tally.resets += connection.reset;
        connection.reset = false;
        return;
    }
    tally.add(Clock::now() - start);
}

// clients threads check without pause until the time is up.
void runClients(int port, int clients, std::chrono::seconds duration, Tally& tally)
{
    const auto end = Clock::now() + duration;
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&] {
            Connection connection;
            while (Clock::now() < end)
                checkOnce(connection, port, tally);
        });
    }
    for (std::thread& t : threads)
        t.join();
}

void report(benchmark::State& state, const Tally& tally, const ServiceProcess& service)
{
    const double checks = std::max<long>(1, tally.checks.load());
    state.SetIterationTime(tally.totalMicros.load() / checks / 1e6);
    state.counters["checks"] = double(tally.checks.load());
    state.counters["failed"] = double(tally.failures.load());
    state.counters["resets"] = double(tally.resets.load());
    state.counters["worst_ms"] = tally.worstMicros.load() / 1000.0;
    state.counters["service_peak_MB"] = service.peakMegabytes();
}

// clients kept-alive clients checking for the given seconds. One client is the baseline; with
// 64 clients checking 1,500 characters for 20 s the service stays under 300 MB.
void BM_Clients(benchmark::State& state)
{
    ServiceProcess service;
    Tally tally;
    for (auto _ : state)
        runClients(service.port, int(state.range(0)), std::chrono::seconds(state.range(1)), tally);
    report(state, tally, service);
}
BENCHMARK(BM_Clients)
    ->ArgNames({"clients", "seconds"})
    ->Args({1, 2})
    ->Args({64, 20})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// What a hostile connection sends at first; a byte follows every second, and when the service
// has closed the connection it comes back and starts again.
struct Hostile
{
    const char* name;
    const char* start;
};
const std::array<Hostile, 6> kHostile = {{
    {"dripping head", "POST /api/v3/check HTTP/1.1\r\nX-Slow: "},
    {"dripping body", "POST /api/v3/check HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 1000\r\n\r\na="},
    {"expecting continue",
     "POST /api/v3/check HTTP/1.1\r\nHost: 127.0.0.1\r\nExpect: 100-continue\r\nContent-Length: 1000\r\n\r\n"},
    {"unknown coding", "POST /api/v3/check HTTP/1.1\r\nHost: 127.0.0.1\r\nTransfer-Encoding: gzip\r\n\r\n"},
    {"body over the limit", "POST /api/v3/check HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 2000000\r\n\r\na="},
    {"head ended by LF", "POST /api/v3/check HTTP/1.1\r\nHost: 127.0.0.1\n\n"},
}};

// 40 hostile connections of one kind (kind 6: of every kind, 240 in all) beside one normal
// client: its worst check stays under a second.
void BM_BesideHostile(benchmark::State& state)
{
    const size_t kind = size_t(state.range(0));
    std::vector<const Hostile*> kinds;
    for (size_t k = 0; k < kHostile.size(); ++k) {
        if (kind == k || kind >= kHostile.size())
            kinds.push_back(&kHostile[k]);
    }
    state.SetLabel(kinds.size() == 1 ? kinds.front()->name : "all kinds");
    ServiceProcess service;
    std::vector<Connection> hostile(40 * kinds.size());
    std::atomic<long> reopened{0};
    const auto startOver = [&](size_t i) {
        Connection& c = hostile[i];
        if (!c.open(service.port) || !c.sendAll(kinds[i % kinds.size()]->start))
            c.close();
    };
    for (size_t i = 0; i < hostile.size(); ++i)
        startOver(i);
    std::atomic<bool> running{true};
    std::thread drip([&] {
        while (running) {
            for (int i = 0; i < 10 && running; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            for (size_t i = 0; i < hostile.size() && running; ++i) {
                Connection& c = hostile[i];
                if (c.isOpen() && !c.sendAll("a"))
                    c.close();
                if (!c.isOpen()) {
                    ++reopened;
                    startOver(i);
                }
            }
        }
    });
    // The hostile connections take hold first.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    Tally tally;
    for (auto _ : state)
        runClients(service.port, 1, std::chrono::seconds(5), tally);
    running = false;
    drip.join();
    report(state, tally, service);
    state.counters["hostile"] = double(hostile.size());
    state.counters["hostile_reopened"] = double(reopened.load());
}
BENCHMARK(BM_BesideHostile)
    ->ArgName("kind")
    ->DenseRange(0, int(kHostile.size()))
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// 800 connections that each announce a 1 MiB body and send half of it, beside one normal client:
// the service stays under 300 MB, refusing the oldest unfinished requests once its bound on held
// bytes is reached.
void BM_WaitingBodies(benchmark::State& state)
{
    ServiceProcess service;
    const int count = 800;
    const int senders = 8;
    const std::string head = "POST /api/v3/check HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                             "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 1048576\r\n\r\n";
    const std::string half(512 * 1024, 'a');
    std::vector<Connection> waiting(count);
    std::atomic<long> cutOff{0};
    Tally tally;
    for (auto _ : state) {
        std::vector<std::thread> threads;
        for (int t = 0; t < senders; ++t) {
            threads.emplace_back([&, t] {
                for (int i = t; i < count; i += senders) {
                    Connection& c = waiting[size_t(i)];
                    if (!c.open(service.port) || !c.sendAll(head) || !c.sendAll(half))
                        ++cutOff;
                }
            });
        }
        runClients(service.port, 1, std::chrono::seconds(6), tally);
        for (std::thread& t : threads)
            t.join();
    }
    report(state, tally, service);
    // Refused connections have an answer or an end waiting to be read.
    long refused = 0;
    for (Connection& c : waiting) {
        char byte = 0;
        refused += !c.isOpen() || ::recv(c.socket(), &byte, 1, MSG_DONTWAIT | MSG_PEEK) >= 0;
    }
    state.counters["bodies_cut_off"] = double(cutOff.load());
    state.counters["bodies_refused"] = double(refused);
    state.counters["service_rss_after_MB"] = service.residentMegabytes();
}
BENCHMARK(BM_WaitingBodies)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// 700 checks of 1 MiB from four clients, with the request log (log:1) and without it (log:0,
// run first): the difference in peak memory is the log's own share, under 200 MB.
double peakWithoutLog = 0;

void BM_LargeChecks(benchmark::State& state)
{
    const bool logged = state.range(0) != 0;
    ServiceProcess service(logged ? std::vector<std::string>{} : std::vector<std::string>{"--request-log-size", "0"});
    const int checks = 700;
    const int clients = 4;
    Tally tally;
    for (auto _ : state) {
        std::vector<std::thread> threads;
        for (int t = 0; t < clients; ++t) {
            threads.emplace_back([&, t] {
                Connection connection;
                for (int i = t; i < checks; i += clients)
                    checkOnce(connection, service.port, tally, kLargeRequest);
            });
        }
        for (std::thread& t : threads)
            t.join();
    }
    report(state, tally, service);
    if (!logged)
        peakWithoutLog = service.peakMegabytes();
    else if (peakWithoutLog > 0)
        state.counters["log_share_MB"] = service.peakMegabytes() - peakWithoutLog;
}
BENCHMARK(BM_LargeChecks)->ArgName("log")->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Rounds of 256 clients connecting at once, each for one check: none is reset.
void BM_Burst256(benchmark::State& state)
{
    ServiceProcess service;
    Tally tally;
    for (auto _ : state) {
        for (int round = 0; round < 5; ++round) {
            std::atomic<int> ready{0};
            std::vector<std::thread> threads;
            for (int i = 0; i < 256; ++i) {
                threads.emplace_back([&] {
                    Connection connection;
                    ++ready;
                    while (ready.load() < 256)
                        std::this_thread::yield();
                    checkOnce(connection, service.port, tally);
                });
            }
            for (std::thread& t : threads)
                t.join();
        }
    }
    report(state, tally, service);
}
BENCHMARK(BM_Burst256)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

namespace {
const char* const kOneClient = "BM_Clients/clients:1/seconds:2/iterations:1/manual_time";
} // namespace

KORRELO_BENCH_RATIO(sixty_four_clients_vs_one, "BM_Clients/clients:64/seconds:20/iterations:1/manual_time", kOneClient);
KORRELO_BENCH_RATIO(beside_dripping_heads_vs_one, "BM_BesideHostile/kind:0/iterations:1/manual_time", kOneClient);
KORRELO_BENCH_RATIO(beside_dripping_bodies_vs_one, "BM_BesideHostile/kind:1/iterations:1/manual_time", kOneClient);
KORRELO_BENCH_RATIO(beside_expectations_vs_one, "BM_BesideHostile/kind:2/iterations:1/manual_time", kOneClient);
KORRELO_BENCH_RATIO(beside_unknown_codings_vs_one, "BM_BesideHostile/kind:3/iterations:1/manual_time", kOneClient);
KORRELO_BENCH_RATIO(beside_bodies_over_the_limit_vs_one, "BM_BesideHostile/kind:4/iterations:1/manual_time",
                    kOneClient);
KORRELO_BENCH_RATIO(beside_lf_heads_vs_one, "BM_BesideHostile/kind:5/iterations:1/manual_time", kOneClient);
KORRELO_BENCH_RATIO(beside_every_hostile_kind_vs_one, "BM_BesideHostile/kind:6/iterations:1/manual_time",
                    kOneClient);
KORRELO_BENCH_RATIO(beside_800_waiting_bodies_vs_one, "BM_WaitingBodies/iterations:1/manual_time", kOneClient);
KORRELO_BENCH_RATIO(large_checks_logged_vs_not, "BM_LargeChecks/log:1/iterations:1/manual_time",
                    "BM_LargeChecks/log:0/iterations:1/manual_time");
KORRELO_BENCH_RATIO(burst_256_vs_one, "BM_Burst256/iterations:1/manual_time", kOneClient);

KORRELO_BENCH_MAIN()
