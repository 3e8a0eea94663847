// The shipped Drapelle.dll's frame cost under Windows (or Wine), beside the
// floor: the same natives and waits replayed without the plug-in. Repetitions
// alternate frame and floor so that both meet the same moments of a shared
// machine; the medians are compared. The plug-in's calls into the C runtime's
// allocator are counted through its import table.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "harness/frame_states.h"
#include "harness/windows_plugin.h"
#include "simhost/import_patch.h"

namespace harness {
namespace {

std::string benchPluginPath;                 // the DLL the loader loads
HMODULE benchModule = nullptr;               // the loaded copy, while there is one
std::atomic<long long> pluginAllocations{0}; // the plug-in's malloc, calloc and realloc calls

void* __cdecl countedMalloc(std::size_t size) {
    pluginAllocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size);
}
void* __cdecl countedCalloc(std::size_t count, std::size_t size) {
    pluginAllocations.fetch_add(1, std::memory_order_relaxed);
    return std::calloc(count, size);
}
void* __cdecl countedRealloc(void* block, std::size_t size) {
    pluginAllocations.fetch_add(1, std::memory_order_relaxed);
    return std::realloc(block, size);
}

void loadBenchPlugin() {
    std::string error;
    benchModule = loadPlugin(benchPluginPath, error);
    if (!benchModule) {
        std::fprintf(stderr, "drapelle-runner: %s\n", error.c_str());
        std::exit(2);
    }
    // Whatever the DLL allocates with, operator new included, ends in one of
    // these; one it does not import it cannot call.
    sim::patchImport(benchModule, "msvcrt.dll", "malloc", reinterpret_cast<void*>(&countedMalloc));
    sim::patchImport(benchModule, "msvcrt.dll", "calloc", reinterpret_cast<void*>(&countedCalloc));
    sim::patchImport(benchModule, "msvcrt.dll", "realloc",
                     reinterpret_cast<void*>(&countedRealloc));
}

void unloadBenchPlugin() {
    if (benchModule) FreeLibrary(benchModule);
    benchModule = nullptr;
}

// Nanoseconds per frame over `frames` frames, after the state is entered;
// the plug-in's allocations in those frames are added to `allocations` (the
// floor runs with the plug-in unloaded, so it adds none).
double timeFrames(State state, bool floor, int frames, long long& allocations) {
    floor ? enterFloor(state) : enterState(state);
    const long long before = pluginAllocations.load();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) sim::runFrame();
    const auto spent = std::chrono::steady_clock::now() - start;
    allocations += pluginAllocations.load() - before;
    leave();
    return std::chrono::duration<double, std::nano>(spent).count() / frames;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int benchPlugin(const std::string& path, int repetitions, int frames) {
    benchPluginPath = path;
    setLoader({loadBenchPlugin, unloadBenchPlugin});
    const State states[] = {State::Closed, State::TopMenu, State::ClothingMenu};
    std::printf("%-28s %12s %12s %8s %14s   (median of %d interleaved runs of %d frames)\n",
                "state", "frame (ns)", "floor (ns)", "ratio", "allocs/frame", repetitions, frames);
    for (State state : states) {
        std::vector<double> frameTimes, floorTimes;
        long long allocations = 0;
        for (int run = 0; run < repetitions; ++run) {
            // Alternate which goes first, so neither always meets a warm cache.
            const bool floorFirst = run % 2 == 1;
            if (floorFirst) floorTimes.push_back(timeFrames(state, true, frames, allocations));
            frameTimes.push_back(timeFrames(state, false, frames, allocations));
            if (!floorFirst) floorTimes.push_back(timeFrames(state, true, frames, allocations));
        }
        const double frame = median(frameTimes), floor = median(floorTimes);
        std::printf("%-28s %12.1f %12.1f %8.3f %14g\n", stateName(state), frame, floor,
                    frame / floor,
                    static_cast<double>(allocations) / (static_cast<double>(repetitions) * frames));
    }
    return 0;
}

} // namespace harness
