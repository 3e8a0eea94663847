// Tick comparisons. GetTickCount wraps every 2^32 ms (49.7 days). A test of
// `now < stamp + interval` would read an old stamp as fresh from the wrap
// until the sum, and a stamp made just before the wrap as stale until after
// it; every test here measures the elapsed time instead, which is right until
// a stamp is 2^32 ms old and then reads as fresh once more.
#pragma once

#include "host/platform.h"

// True while fewer than `interval` ms have passed from `stamp` to `now`, modulo 2^32.
constexpr bool elapsedBelowAt(DWORD stamp, DWORD now, DWORD interval) {
    return static_cast<DWORD>(now - stamp) < interval;
}

// The same, up to the tick count read now.
inline bool elapsedBelow(DWORD stamp, DWORD interval) {
    return elapsedBelowAt(stamp, GetTickCount(), interval);
}
