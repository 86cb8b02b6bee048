#include "serviceoptions.h"
#include "serviceserver.h"

#include <csignal>
#include <malloc.h>
#include <cstdio>
#include <pthread.h>

using korrelo_service::ServiceOptions;
using korrelo_service::ServiceServer;

int main(int argc, char** argv)
{
    std::string error;
    const auto options = ServiceOptions::parse(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "korrelo-service: %s\nTry korrelo-service --help.\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(ServiceOptions::helpText().c_str(), stdout);
        return 0;
    }

    // Each gzip reply allocates and frees a few hundred KiB on a worker thread; with glibc's
    // default thresholds every free hands the pages back (madvise), and the TLB shootdown that
    // follows costs more than the check itself. Keep the memory for the next request.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    // Each arena keeps up to that threshold, and glibc makes eight per core for 32 workers: under
    // a run of 1 MiB checks that kept over 500 MB, and long-lived request log entries scattered
    // through them kept more. Eight arenas keep contention low and that memory a fraction.
    mallopt(M_ARENA_MAX, 8);

    // Blocked before any thread starts, so only sigwait below sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    ServiceServer server(*options);
    if (!server.start(error)) {
        std::fprintf(stderr, "korrelo-service: %s\n", error.c_str());
        return 1;
    }
    std::printf("listening on %s:%d\n", server.host().c_str(), server.port());
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    server.stop();
    return 0;
}
