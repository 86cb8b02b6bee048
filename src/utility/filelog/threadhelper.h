#pragma once

#include <thread>

#include "utility_export.h"

namespace filelog {

// Owns one worker thread that runs run() of the derived class.
class UTILITY_EXPORT ThreadHelper
{
public:
    ThreadHelper() = default;
    ThreadHelper(const ThreadHelper&) = delete;
    ThreadHelper& operator=(const ThreadHelper&) = delete;
    virtual ~ThreadHelper();

    // False when the system refuses a new thread or one is running already.
    bool start();
    // Waits for the thread to end; nothing when none was started.
    void wait();
    std::thread::id threadId() const { return m_thread.get_id(); }

protected:
    virtual void run() = 0;

private:
    std::thread m_thread;
};

} // namespace filelog
