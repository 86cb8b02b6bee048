#include "systemmetrics.h"

#include <atomic>

#include "../systemmetrics.h"

namespace {
constexpr int scrollBarSize = 17;
std::atomic<int> verticalScrollWidth{scrollBarSize};
std::atomic<int> horizontalScrollHeight{scrollBarSize};
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXVSCROLL:
        return verticalScrollWidth;
    case SM_CYHSCROLL:
        return horizontalScrollHeight;
    default:
        return 0;
    }
}

namespace sim {
void setSystemMetric(int index, int value)
{
    if (index == SM_CXVSCROLL)
        verticalScrollWidth = value;
    else if (index == SM_CYHSCROLL)
        horizontalScrollHeight = value;
}

void resetSystemMetrics()
{
    verticalScrollWidth = scrollBarSize;
    horizontalScrollHeight = scrollBarSize;
}
} // namespace sim
