#pragma once

// The simulated desktop's answers to GetSystemMetrics: 17 for the scroll-bar sizes until set.
namespace sim {
void setSystemMetric(int index, int value);
void resetSystemMetrics();
} // namespace sim
