#include "recordqueue.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace filelog {

namespace {

// Room for hundreds of ordinary records, and always for the longest one.
constexpr size_t BLOCK_SIZE = 64 * 1024;
// Blocks kept after a clear() (2 MiB): a backlog of ten thousand records comes and goes without
// new allocations, which would fault their pages in again.
constexpr size_t SPARE_BLOCKS = 32;

constexpr size_t alignedSize(size_t bytes)
{
    return (bytes + alignof(QueuedRecord) - 1) & ~(alignof(QueuedRecord) - 1);
}

static_assert(alignedSize(sizeof(QueuedRecord) + LOG_RECORD_TEXT_SIZE) <= BLOCK_SIZE);

} // namespace

char* RecordQueue::reserve(size_t bytes)
{
    if (m_used > 0 && BLOCK_SIZE - m_blocks[m_used - 1].filled >= bytes) {
        Block& block = m_blocks[m_used - 1];
        char* at = block.data.get() + block.filled;
        block.filled += bytes;
        return at;
    }
    if (m_used == m_blocks.size())
        m_blocks.push_back({std::unique_ptr<char[]>(new char[BLOCK_SIZE]), 0});
    Block& block = m_blocks[m_used++];
    block.filled = bytes;
    return block.data.get();
}

void RecordQueue::push(const LogRecord& record)
{
    const int length = std::clamp(record.length, 0, LOG_RECORD_TEXT_SIZE - 1);
    const size_t size = alignedSize(sizeof(QueuedRecord) + static_cast<size_t>(length) + 1);
    char* at = reserve(size);
    new (at) QueuedRecord{record.time, record.loggerId, record.level, length, static_cast<int>(size)};
    char* text = at + sizeof(QueuedRecord);
    std::memcpy(text, record.text, static_cast<size_t>(length));
    text[length] = '\0';
    ++m_count;
}

void RecordQueue::swap(RecordQueue& other) noexcept
{
    m_blocks.swap(other.m_blocks);
    std::swap(m_used, other.m_used);
    std::swap(m_count, other.m_count);
}

void RecordQueue::clear()
{
    for (size_t b = 0; b < m_used; ++b)
        m_blocks[b].filled = 0;
    m_used = 0;
    m_count = 0;
    if (m_blocks.size() > SPARE_BLOCKS)
        m_blocks.resize(SPARE_BLOCKS);
}

} // namespace filelog
