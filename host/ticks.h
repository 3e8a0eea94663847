// Tick comparisons. GetTickCount wraps every 2^32 ms (49.7 days); comparing a
// stamp-plus-interval sum with the clock would make old stamps look fresh after
// the wrap, so every test here measures the elapsed time instead.
#pragma once

#include "host/platform.h"

// True while fewer than `interval` ms have passed since `stamp`.
inline bool elapsedBelow(DWORD stamp, DWORD interval) {
    return static_cast<DWORD>(GetTickCount() - stamp) < interval;
}
