#pragma once

#include <condition_variable>
#include <mutex>

#include "utility_export.h"

namespace filelog {

// A counting semaphore (0..64) for the writer thread to tell that it is up.
class UTILITY_EXPORT SemHelper
{
public:
    static constexpr int MAX_COUNT = 64;

    void post();
    // Waits up to ms milliseconds for a count; true when one was taken.
    bool wait(int ms);

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    int m_count = 0;
};

} // namespace filelog
