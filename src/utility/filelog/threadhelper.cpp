#include "threadhelper.h"

#include <system_error>

namespace filelog {

ThreadHelper::~ThreadHelper()
{
    // A derived class stops its thread in its own destructor; this only keeps a forgotten
    // thread from terminating the process.
    wait();
}

bool ThreadHelper::start()
{
    if (m_thread.joinable())
        return false;
    try {
        m_thread = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void ThreadHelper::wait()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

} // namespace filelog
