#include "simhost/simhost.h"

namespace {
DWORD simTick = 1000000; // the simulated GetTickCount
} // namespace

#ifdef _WIN32
// The runner points the plug-in's GetTickCount import here.
extern "C" DWORD WINAPI simulatedTickCount(void) {
    return simTick;
}
#else
extern "C" DWORD GetTickCount(void) {
    return simTick;
}
#endif

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
