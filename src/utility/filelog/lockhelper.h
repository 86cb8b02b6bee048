#pragma once

#include <mutex>

#include "utility_export.h"

namespace filelog {

// A plain lock; usable with std::lock_guard and std::unique_lock.
class UTILITY_EXPORT LockHelper
{
public:
    LockHelper() = default;
    LockHelper(const LockHelper&) = delete;
    LockHelper& operator=(const LockHelper&) = delete;

    void lock() { m_mutex.lock(); }
    void unlock() { m_mutex.unlock(); }

private:
    std::mutex m_mutex;
};

} // namespace filelog
