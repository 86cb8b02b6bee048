#pragma once

#include <atomic>

namespace platform_detail {

struct Counters
{
    std::atomic<int> comObjects{0};
    std::atomic<int> strings{0};
    std::atomic<int> processHandles{0};
    std::atomic<int> hooks{0};
    std::atomic<int> libraries{0};
    std::atomic<int> comInits{0};
};
Counters& counters();

} // namespace platform_detail
