#include "simhost/simhost.h"

namespace {
DWORD simTick = 1000000; // the simulated GetTickCount
} // namespace

extern "C" DWORD GetTickCount(void) {
    return simTick;
}

namespace sim {
DWORD now() {
    return simTick;
}
void setTick(DWORD tick) {
    simTick = tick;
}
void advance(DWORD milliseconds) {
    simTick += milliseconds;
}
} // namespace sim
