#include "recordqueue.h"

#include <algorithm>
#include <cstring>
#include <new>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

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

constexpr size_t PREFETCH_BYTES = 256;   // an ordinary record and its header
constexpr size_t CACHE_LINE = 64;

// Asks for the lines the next record will fill, owned for writing. The writer thread read them
// last; taking them back only when the copy stores to them stalls the producer under the queue lock.
#if defined(__x86_64__) || defined(__i386__)
bool canPrefetchForWriting()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __get_cpuid(0x80000001, &a, &b, &c, &d) && (c & bit_PRFCHW) != 0;
}

const bool PREFETCH_FOR_WRITING = canPrefetchForWriting();

void prefetchForWriting(const char* at, size_t bytes)
{
    if (!PREFETCH_FOR_WRITING)
        return;
    for (size_t offset = 0; offset < bytes; offset += CACHE_LINE)
        asm volatile("prefetchw %0" : : "m"(at[offset]));
}
#else
void prefetchForWriting(const char* at, size_t bytes)
{
    for (size_t offset = 0; offset < bytes; offset += CACHE_LINE)
        __builtin_prefetch(at + offset, 1, 3);
}
#endif

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
    const Block& last = m_blocks[m_used - 1];
    prefetchForWriting(last.data.get() + last.filled, std::min(PREFETCH_BYTES, BLOCK_SIZE - last.filled));
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
