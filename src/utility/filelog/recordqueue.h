#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "logrecord.h"

namespace filelog {

// A log record waiting for the writer, as compact as its text.
struct QueuedRecord
{
    int64_t time;   // seconds since 1970-01-01 UTC
    int loggerId;
    int level;
    int length;     // bytes of text, terminating zero not counted
    int size;       // bytes this entry takes in its block, header included

    const char* text() const { return reinterpret_cast<const char*>(this + 1); }
};

// Records queued for the writer thread. Each record's text is copied into large blocks that are
// reused from batch to batch, so a queued record costs a copy of its text rather than a
// full-sized record of its own, and a long backlog takes memory in proportion to its text.
class RecordQueue
{
public:
    RecordQueue() = default;
    RecordQueue(const RecordQueue&) = delete;
    RecordQueue& operator=(const RecordQueue&) = delete;

    void push(const LogRecord& record);
    bool empty() const { return m_count == 0; }
    size_t size() const { return m_count; }
    // Exchanges contents, spare blocks included: the writer's emptied blocks go back to producers.
    void swap(RecordQueue& other) noexcept;
    // Forgets the records and keeps a few blocks for reuse.
    void clear();

    template <typename Visit>
    void forEach(Visit&& visit) const
    {
        for (size_t b = 0; b < m_used; ++b) {
            const Block& block = m_blocks[b];
            for (size_t at = 0; at < block.filled;) {
                const auto* record = reinterpret_cast<const QueuedRecord*>(block.data.get() + at);
                visit(*record);
                at += static_cast<size_t>(record->size);
            }
        }
    }

private:
    struct Block
    {
        std::unique_ptr<char[]> data;
        size_t filled = 0;
    };

    char* reserve(size_t bytes);

    std::vector<Block> m_blocks;   // [0, m_used) hold records, the rest are spare
    size_t m_used = 0;
    size_t m_count = 0;
};

} // namespace filelog
