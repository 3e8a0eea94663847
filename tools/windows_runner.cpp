// drapelle-runner's work, compiled into the stand-in host library so that every
// C++ object stays in one module; drapelle-runner.exe only calls it.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <random>
#include <set>
#include <sstream>

#include "harness/call_record.h"
#include "harness/plugin_image.h"
#include "harness/scenario.h"
#include "harness/windows_plugin.h"
#include "simhost/simhost.h"
#include "tools/command_line.h"

namespace {

using sim::hex;

const char* const kDescription =
    R"(Loads PLUGIN the way the script host does, plays SCENARIO (or the built-in
demo) through the script and keyboard handler it registers, prints the
transcript, and unloads it. The scenario format is drapelle-sim's.)";

// Windows 10 and 11 put a DLL whose preferred range is taken above 4 GB, at
// another base each load; Wine would take the lowest free range below 4 GB.
// So the runner takes the preferred range, the free ranges below 4 GB and a
// gap of seeded random size at the start of the free range above.
struct Placement {
    std::vector<void*> reserved;
    std::uint64_t preferredBase = 0;
};

constexpr std::uint64_t k4Gb = 0x100000000;
constexpr std::uint64_t kGranularity = 0x10000; // of VirtualAlloc's bases
constexpr std::uint64_t kMostGapSteps = 4096;   // a gap of up to 256 MB

bool reserveRange(std::uint64_t base, std::uint64_t size, Placement& placement) {
    void* range = VirtualAlloc(reinterpret_cast<void*>(base), size, MEM_RESERVE, PAGE_NOACCESS);
    if (range) placement.reserved.push_back(range);
    return range != nullptr;
}

void releasePlacement(Placement& placement) {
    for (void* range : placement.reserved) VirtualFree(range, 0, MEM_RELEASE);
    placement.reserved.clear();
}

// The free range the loader would map an image of this size into next.
bool nextFreeRange(std::uint64_t size, MEMORY_BASIC_INFORMATION& range) {
    void* probe = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
    if (!probe) return false;
    VirtualFree(probe, 0, MEM_RELEASE);
    return VirtualQuery(probe, &range, sizeof range) != 0 && range.State == MEM_FREE;
}

// Whether something else (another module, the runner itself) holds the address.
bool isTaken(std::uint64_t address) {
    MEMORY_BASIC_INFORMATION range = {};
    return VirtualQuery(reinterpret_cast<void*>(address), &range, sizeof range) != 0 &&
           range.State != MEM_FREE;
}

bool reserveElsewhere(const std::string& plugin, std::mt19937_64& random, Placement& placement,
                      std::string& error) {
    std::uint64_t size = 0;
    if (!harness::readPreferredRange(plugin, placement.preferredBase, size, error)) return false;
    if (!reserveRange(placement.preferredBase, size, placement) &&
        !isTaken(placement.preferredBase)) {
        error = "cannot reserve " + plugin + "'s preferred range at " +
                hex(placement.preferredBase) + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    MEMORY_BASIC_INFORMATION range = {};
    while (nextFreeRange(size, range)) {
        const std::uint64_t base = reinterpret_cast<std::uintptr_t>(range.BaseAddress);
        if (base < k4Gb) {
            const std::uint64_t below = std::min<std::uint64_t>(range.RegionSize, k4Gb - base);
            if (reserveRange(base, below, placement)) continue;
            break;
        }
        const std::uint64_t steps =
            std::min(kMostGapSteps, (range.RegionSize - size) / kGranularity);
        const std::uint64_t gap = random() % (steps + 1) * kGranularity;
        if (gap == 0 || reserveRange(base, gap, placement)) return true;
        break;
    }
    error = "cannot take the free ranges below 4 GB before loading " + plugin + " (error " +
            std::to_string(GetLastError()) + ")";
    releasePlacement(placement);
    return false;
}

// "Windows 10.0.19045", as the system reports itself to a program that asks
// past the compatibility shims.
std::string windowsVersion() {
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    const auto rtlGetVersion = reinterpret_cast<GetVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    if (!rtlGetVersion || rtlGetVersion(&version) != 0) return "Windows of unknown version";
    return "Windows " + std::to_string(version.dwMajorVersion) + "." +
           std::to_string(version.dwMinorVersion) + "." + std::to_string(version.dwBuildNumber);
}

// One load, one scenario, one unload, with the host's checks around them: 0
// when all held, 1 when one failed, 2 when the plug-in could not be loaded.
int runCycle(const std::string& plugin, const harness::Scenario& scenario, int cycle, bool cycling,
             std::mt19937_64* elsewhere, std::set<std::uint64_t>& bases,
             const harness::FrameSeen& onFrame) {
    // Names the cycle only when there are several.
    const std::string prefix = cycling ? "cycle " + std::to_string(cycle) + ": " : "";
    const auto check = [&prefix](bool condition, const std::string& what) {
        if (!condition) std::cerr << "drapelle-runner: " << prefix << what << '\n';
        return condition;
    };
    const auto cannotLoad = [&check](const std::string& why) { return check(false, why), 2; };
    const std::size_t eventsBefore = sim::hostEvents().size();
    std::string error;
    Placement placement;
    if (elsewhere && !reserveElsewhere(plugin, *elsewhere, placement, error))
        return cannotLoad(error);
    HMODULE module = harness::loadPlugin(plugin, error);
    // The ranges only have to be taken while the loader places the plug-in.
    releasePlacement(placement);
    if (!module) return cannotLoad(error);
    bool ok = check(sim::registeredScriptFunction() && sim::registeredKeyboardHandler(),
                    "the load did not register both script and handler");
    const std::uint64_t loadedAt = reinterpret_cast<std::uintptr_t>(module);
    if (elsewhere) {
        bases.insert(loadedAt);
        std::cout << prefix << plugin << " loaded at " << hex(loadedAt) << ", not at its preferred "
                  << hex(placement.preferredBase) << ", on " << windowsVersion() << '\n';
        ok &= check(loadedAt != placement.preferredBase && loadedAt >= k4Gb,
                    "loaded at " + hex(loadedAt) + ", not above 4 GB away from its preferred base");
    }
    const auto guard = [module](auto function, const char* what) {
        return harness::checkGuardTarget(module, reinterpret_cast<const void*>(function), what);
    };
    for (const std::string& problem :
         {harness::checkStackCookie(module),
          guard(sim::registeredScriptFunction(), "the script function"),
          guard(sim::registeredKeyboardHandler(), "the keyboard handler")})
        ok &= check(problem.empty(), problem);

    std::ostringstream transcript;
    const int failures = harness::playScenario(scenario, transcript, {}, {}, onFrame);
    if (!cycling || failures > 0) std::cout << transcript.str();
    ok &= check(failures == 0, std::to_string(failures) + " expectation(s) failed");

    ok &= check(FreeLibrary(module) != 0, "FreeLibrary failed");
    ok &= check(!sim::registeredScriptFunction() && !sim::registeredKeyboardHandler(),
                "the unload left a registration behind");
    const std::vector<std::string> expected = {"scriptRegister", "keyboardHandlerRegister",
                                               "scriptUnregister", "keyboardHandlerUnregister"};
    const std::vector<std::string> seen(sim::hostEvents().begin() + static_cast<long>(eventsBefore),
                                        sim::hostEvents().end());
    ok &= check(seen == expected, "registration calls out of order");
    for (const std::string& problem : sim::protocolErrors())
        ok = check(false, "protocol: " + problem);
    return ok ? 0 : 1;
}

} // namespace

extern "C" __declspec(dllexport) int drapelleRunnerMain(int argc, char** argv) {
    using namespace harness;
    using namespace tools;
    CLI::App app{kDescription, "drapelle-runner"};
    setUpCommandLine(app, "0 when every run was clean, 1 when a check or expectation failed,\n"
                          "2 on a usage or scenario error (a plug-in that cannot be loaded among\n"
                          "them).");
    std::string plugin;
    int cycles = 1, benchRuns = 0;
    app.add_option("PLUGIN", plugin, "The plug-in DLL, as the host would load it")
        ->type_name("DLL")
        ->required();
    ScenarioRun run;
    addScenarioRun(app, run);
    CLI::Option* cycling =
        app.add_option("--cycles", cycles,
                       "Load, play and unload N times; every load must register the\n"
                       "script and handler, every unload unregister both, and each\n"
                       "load must start afresh")
            ->type_name("N")
            ->check(CLI::Range(1, 100000).description("1 to 100000"));
    app.add_option("--bench", benchRuns,
                   "Instead of a scenario: time frames of the plug-in in each\n"
                   "state beside the floor (the same natives and waits without\n"
                   "it), N interleaved runs each, and print the medians")
        ->type_name("N")
        ->check(CLI::Range(1, 100000).description("1 to 100000"))
        ->excludes(cycling)
        ->excludes("SCENARIO");
    bool elsewhere = false;
    app.add_flag("--elsewhere", elsewhere,
                 "Before each load, take the plug-in's preferred address range,\n"
                 "the free ranges below 4 GB and a gap of random size above, so\n"
                 "that the loader places it above 4 GB at another base each\n"
                 "time, as Windows 10 and 11 do; prints each base, and fails\n"
                 "if one is below 4 GB or if fewer than half of the cycles'\n"
                 "bases differ")
        ->excludes("--bench");
    app.get_option("--record")->excludes(cycling)->excludes("--bench");
    run.random->excludes("--bench");
    if (const int status = parseCommandLine(app, argc, argv); status >= 0) return status;
    if (benchRuns > 0) return benchPlugin(plugin, benchRuns, 2000);

    Scenario scenario;
    if (!startScenarioRun(run, scenario, "drapelle-runner")) return 2;

    const bool several = cycling->count() > 0;
    std::mt19937_64 random(1); // the same gaps on every run
    std::set<std::uint64_t> bases;
    int failed = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        startRun(run.frameMs);
        const int status = runCycle(plugin, scenario, cycle, several, elsewhere ? &random : nullptr,
                                    bases, recorder(run));
        if (status == 2) return 2;
        failed += status;
    }
    if (several) {
        std::cout << cycles - failed << " of " << cycles
                  << " load cycles clean: registered on load, unregistered on unload, "
                     "started afresh\n";
    }
    if (several && elsewhere) {
        if (bases.size() * 2 < static_cast<std::size_t>(cycles)) {
            std::cerr << "drapelle-runner: the loader placed the plug-in at only " << bases.size()
                      << " distinct bases in " << cycles << " cycles\n";
            return 1;
        }
        std::cout << bases.size() << " distinct bases in " << cycles << " cycles\n";
    }
    return failed == 0 ? 0 : 1;
}
