#include "semhelper.h"

#include <chrono>

namespace filelog {

void SemHelper::post()
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_count >= MAX_COUNT)
            return;
        ++m_count;
    }
    m_ready.notify_one();
}

bool SemHelper::wait(int ms)
{
    std::unique_lock<std::mutex> guard(m_mutex);
    if (!m_ready.wait_for(guard, std::chrono::milliseconds(ms), [this] { return m_count > 0; }))
        return false;
    --m_count;
    return true;
}

} // namespace filelog
