#include <atomic>

#include "simhost/host_parts.h"

#ifdef _WIN32
#include <cstdio>
#include <cstdlib>

#include "simhost/import_patch.h"
#endif

namespace {
// The simulated GetTickCount. Atomic: the keyboard handler reads it on
// whatever thread delivers a key while the frame loop moves it on.
std::atomic<DWORD> simTick{1000000};
} // namespace

#ifdef _WIN32
// The runner points the plug-in's GetTickCount import here.
extern "C" DWORD WINAPI simulatedTickCount(void) {
    sim::noteClockRead();
    return simTick.load(std::memory_order_relaxed);
}
#ifdef DRAPELLE_LINKED_PLUGIN
// The plug-in is linked into this program, so its GetTickCount import is the
// program's own: pointed at the simulated clock before main runs.
static const bool clockPatched = [] {
    if (sim::patchImport(GetModuleHandleW(nullptr), "kernel32.dll", "GetTickCount",
                         reinterpret_cast<void*>(&simulatedTickCount)))
        return true;
    std::fputs("simhost: this program does not import GetTickCount from kernel32.dll\n", stderr);
    std::abort();
}();
#endif
#else
extern "C" DWORD GetTickCount(void) {
    sim::noteClockRead();
    return simTick.load(std::memory_order_relaxed);
}
#endif

namespace sim {
DWORD now() { return simTick.load(std::memory_order_relaxed); }
void setTick(DWORD tick) { simTick.store(tick, std::memory_order_relaxed); }
void advance(DWORD milliseconds) { simTick.fetch_add(milliseconds, std::memory_order_relaxed); }
} // namespace sim
