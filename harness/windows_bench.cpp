// The shipped DLL's frame cost beside the floor, under Windows or Wine. No
// allocation count: the DLL imports no allocator, as its imports check proves.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "harness/frame_states.h"
#include "harness/windows_plugin.h"

namespace harness {
namespace {

std::string benchPluginPath;   // the DLL the loader loads
HMODULE benchModule = nullptr; // the loaded copy, while there is one

void loadBenchPlugin() {
    std::string error;
    benchModule = loadPlugin(benchPluginPath, error);
    if (!benchModule) {
        std::fprintf(stderr, "drapelle-runner: %s\n", error.c_str());
        std::exit(2);
    }
}

void unloadBenchPlugin() {
    if (benchModule) FreeLibrary(benchModule);
    benchModule = nullptr;
}

// Nanoseconds per frame over `frames` frames, after the state is entered.
double timeFrames(State state, bool floor, int frames) {
    floor ? enterFloor(state) : enterState(state);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) sim::runFrame();
    const auto spent = std::chrono::steady_clock::now() - start;
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
    std::printf("%-28s %12s %12s %8s   (median of %d interleaved runs of %d frames)\n", "state",
                "frame (ns)", "floor (ns)", "ratio", repetitions, frames);
    for (State state : states) {
        std::vector<double> frameTimes, floorTimes;
        for (int run = 0; run < repetitions; ++run) {
            // Alternate which goes first, so neither always meets a warm cache.
            const bool floorFirst = run % 2 == 1;
            if (floorFirst) floorTimes.push_back(timeFrames(state, true, frames));
            frameTimes.push_back(timeFrames(state, false, frames));
            if (!floorFirst) floorTimes.push_back(timeFrames(state, true, frames));
        }
        const double frame = median(frameTimes), floor = median(floorTimes);
        std::printf("%-28s %12.1f %12.1f %8.3f\n", stateName(state), frame, floor, frame / floor);
    }
    return 0;
}

} // namespace harness
