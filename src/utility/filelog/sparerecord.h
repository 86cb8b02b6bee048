#pragma once

#include "logrecord.h"

namespace filelog {

// One free record per thread, outside the shared pool: a producer gets back the record it has
// just queued without a lock. The record is freed when its thread ends.
class SpareRecord
{
public:
    // The calling thread's spare, or null; the caller owns it.
    static LogRecord* take();
    // Keeps the record as the calling thread's spare; false when the thread has one already
    // or is ending, and the record stays the caller's.
    static bool keep(LogRecord* record);
};

} // namespace filelog
