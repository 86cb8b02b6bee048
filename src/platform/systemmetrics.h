#pragma once

#include "wintypes.h"

constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;

// Sizes of the other programs' window parts (the simulated desktop's: see sim/systemmetrics.h).
int GetSystemMetrics(int index);
