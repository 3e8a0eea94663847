#include <atomic>

#include "simhost/host_parts.h"

namespace {
// The simulated GetTickCount. Atomic: the keyboard handler reads it on
// whatever thread delivers a key while the frame loop moves it on.
std::atomic<DWORD> simTick{1000000};
} // namespace

#ifdef _WIN32
extern "C" DWORD WINAPI simulatedTickCount(void) { // the runner points the plug-in's import here
#else
extern "C" DWORD GetTickCount(void) {
#endif
    sim::noteClockRead();
    return simTick.load(std::memory_order_relaxed);
}

namespace sim {
DWORD now() { return simTick.load(std::memory_order_relaxed); }
void setTick(DWORD tick) { simTick.store(tick, std::memory_order_relaxed); }
void advance(DWORD milliseconds) { simTick.fetch_add(milliseconds, std::memory_order_relaxed); }
} // namespace sim
