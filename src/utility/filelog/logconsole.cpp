#include "logconsole.h"

#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace filelog {

namespace {

std::mutex& consoleLock()
{
    static std::mutex lock;
    return lock;
}

int ansiColour(int level)
{
    switch (level) {
    case 2: return 32;  // green
    case 3: return 33;  // yellow
    case 4: return 31;  // red
    default: return 35; // magenta
    }
}

} // namespace

void LogConsole::printColored(const char* text, int level)
{
    if (level < 2 || level > 6) {
        std::printf("%s", text);
        return;
    }
    // The lock keeps a colour switch and its text together when several threads print.
    std::lock_guard<std::mutex> guard(consoleLock());
    if (isatty(STDOUT_FILENO))
        std::printf("\033[%dm%s\033[0m", ansiColour(level), text);
    else
        std::printf("%s", text);
}

} // namespace filelog
