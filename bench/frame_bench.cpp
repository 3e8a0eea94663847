// The cost and heap allocations of a frame of Drapelle in each state, beside
// the floor: the same native calls and wait with nothing else.
#include <benchmark/benchmark.h>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "harness/frame_states.h"
#include "harness/linked_plugin.h"
#include "simhost/simhost.h"

namespace {

void measureFrames(benchmark::State& state, bool floor) {
    const auto which = static_cast<harness::State>(state.range(0));
    floor ? harness::enterFloor(which) : harness::enterState(which);
    const long long before = sim::heapAllocations();
    for (auto _ : state) sim::runFrame();
    const long long made = sim::heapAllocations() - before;
    state.counters["allocs/frame"] =
        static_cast<double>(made) / static_cast<double>(state.iterations());
    state.SetLabel(harness::stateName(which));
    harness::leave();
}

// Each state's frame right beside its floor, so both see the same machine.
void registerPairs() {
    for (int which = 0; which < 3; ++which) {
        benchmark::RegisterBenchmark("frame", measureFrames, false)->Arg(which);
        benchmark::RegisterBenchmark("floor", measureFrames, true)->Arg(which);
    }
}

// Console output as usual, then the ratio of each frame to its floor.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {} // plain text, for logs and pages
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // The median of the repetitions: this machine's neighbours make single
        // runs swing by tens of percent.
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!median && !single) continue;
            (run.benchmark_name().rfind("frame", 0) == 0 ? frames : floors)[run.report_label] =
                run.GetAdjustedRealTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-28s %12s %12s %8s\n", "state", "frame (ns)", "floor (ns)", "ratio");
        for (const auto& [label, frame] : frames) {
            const double floor = floors[label];
            std::printf("%-28s %12.1f %12.1f %8.3f\n", label.c_str(), frame, floor,
                        floor > 0 ? frame / floor : 0.0);
        }
    }

  private:
    std::map<std::string, double> frames, floors;
};

} // namespace

int main(int argc, char** argv) {
    harness::useLinkedPlugin();
    // "frame_bench STATE FRAMES frame|floor": only FRAMES frames of state 0, 1
    // or 2, for bench/callgrind, which collects only between the toggles.
    if (argc == 4 && argv[1][0] != '-') {
        const auto which = static_cast<harness::State>(std::atoi(argv[1]));
        std::strcmp(argv[3], "floor") == 0 ? harness::enterFloor(which)
                                           : harness::enterState(which);
        CALLGRIND_TOGGLE_COLLECT;
        for (int i = std::atoi(argv[2]); i > 0; --i) sim::runFrame();
        CALLGRIND_TOGGLE_COLLECT;
        harness::leave();
        return 0;
    }
    registerPairs();
    // Repeated and interleaved unless the command line says otherwise (the last
    // of a flag given twice wins), so that a frame and its floor see the same
    // moments of a noisy machine.
    char repetitions[] = "--benchmark_repetitions=15";
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    char aggregates[] = "--benchmark_report_aggregates_only=true";
    char minTime[] = "--benchmark_min_time=0.2";
    std::vector<char*> args{argv[0], repetitions, interleave, aggregates, minTime};
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
