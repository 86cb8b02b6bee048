#include "sparerecord.h"

#include <cstdlib>

namespace filelog {

namespace {

// Plain values, so that they stay usable while the thread's other objects are destroyed.
thread_local LogRecord* t_spare = nullptr;
thread_local bool t_ended = false;

// Frees the spare when the thread ends, and refuses new ones from then on.
struct SpareRelease
{
    ~SpareRelease()
    {
        std::free(t_spare);
        t_spare = nullptr;
        t_ended = true;
    }
};

} // namespace

LogRecord* SpareRecord::take()
{
    LogRecord* record = t_spare;
    t_spare = nullptr;
    return record;
}

bool SpareRecord::keep(LogRecord* record)
{
    if (!record || t_spare || t_ended)
        return false;
    thread_local SpareRelease release;
    (void)release;
    t_spare = record;
    return true;
}

} // namespace filelog
