// The runner's work, inside the stand-in host library so that every C++ object
// stays in one module: it loads the plug-in with LoadLibrary (its DllMain
// runs), points its clock at the simulated one, plays scenarios through the
// registered script and handler, and unloads it with FreeLibrary.
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "simhost/import_patch.h"
#include "simhost/scenario.h"
#include "simhost/simhost.h"
#include "simhost/windows_plugin.h"

extern "C" DWORD WINAPI simulatedTickCount(void);

namespace sim {
namespace {

const char* const kUsage = R"(Usage: drapelle-runner [options] PLUGIN.dll [SCENARIO]

Loads PLUGIN.dll the way the script host does, plays SCENARIO (or the built-in
demo) through the script and keyboard handler it registers, prints the
transcript, and unloads it. The scenario format is drapelle-sim's.

Options:
  --cycles N     load, play and unload N times; every load must register the
                 script and handler, every unload unregister both, and each
                 load must start afresh
  --frame-ms N   simulated length of a game frame, 1 to 100000 (default 16)
  --bench N      instead of a scenario: time frames of the plug-in in each
                 state beside the floor (the same natives and waits without
                 it), N interleaved runs each, and print the medians
  --version      print the version and exit
  -h, --help     show this help and exit

Exit status: 0 when every run was clean, 1 when a check or expectation failed,
2 on a usage or scenario error.
)";

int usageError(const std::string& message) {
    std::cerr << "drapelle-runner: " << printable(message) << "\nTry 'drapelle-runner --help'.\n";
    return 2;
}

bool check(bool condition, const std::string& what, int cycle) {
    if (!condition) std::cerr << "drapelle-runner: cycle " << cycle << ": " << what << '\n';
    return condition;
}

// One load, one scenario, one unload, with the host's checks around them.
bool runCycle(const std::string& plugin, const Scenario& scenario, int cycle, bool verbose) {
    const std::size_t eventsBefore = hostEvents().size();
    std::string error;
    HMODULE module = loadPlugin(plugin, error);
    if (!module) {
        std::cerr << "drapelle-runner: " << error << '\n';
        return false;
    }
    bool ok = check(isScriptRegistered() && isHandlerRegistered(),
                    "the load did not register both script and handler", cycle);

    std::ostringstream transcript;
    const int failures = playScenario(scenario, transcript);
    if (verbose || failures > 0) std::cout << transcript.str();
    ok &= check(failures == 0, std::to_string(failures) + " expectation(s) failed", cycle);

    ok &= check(FreeLibrary(module) != 0, "FreeLibrary failed", cycle);
    ok &= check(!isScriptRegistered() && !isHandlerRegistered(),
                "the unload left a registration behind", cycle);
    const std::vector<std::string> expected = {"scriptRegister", "keyboardHandlerRegister",
                                               "scriptUnregister", "keyboardHandlerUnregister"};
    const std::vector<std::string> seen(hostEvents().begin() + static_cast<long>(eventsBefore),
                                        hostEvents().end());
    ok &= check(seen == expected, "registration calls out of order", cycle);
    for (const std::string& problem : protocolErrors()) {
        ok = check(false, "protocol: " + problem, cycle);
    }
    return ok;
}

} // namespace

HMODULE loadPlugin(const std::string& path, std::string& error) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    if (!patchImport(module, "kernel32.dll", "GetTickCount",
                     reinterpret_cast<void*>(&simulatedTickCount))) {
        error = path + " does not import GetTickCount from kernel32.dll";
        FreeLibrary(module);
        return nullptr;
    }
    return module;
}

} // namespace sim

extern "C" __declspec(dllexport) int drapelleRunnerMain(int argc, char** argv) {
    using namespace sim;
    std::string plugin, path;
    int cycles = 1, benchRuns = 0;
    DWORD frameMs = 16;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "drapelle-runner " DRAPELLE_VERSION "\n";
            return 0;
        }
        if (arg == "--cycles" || arg == "--frame-ms" || arg == "--bench") {
            if (i + 1 == argc) return usageError(arg + " needs a value");
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 1 || value > 100000)
                return usageError(arg + " takes a whole number from 1");
            if (arg == "--cycles")
                cycles = static_cast<int>(value);
            else if (arg == "--bench")
                benchRuns = static_cast<int>(value);
            else
                frameMs = static_cast<DWORD>(value);
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError("unknown option '" + arg + "'");
        } else if (plugin.empty()) {
            plugin = arg;
        } else if (path.empty()) {
            path = arg;
        } else {
            return usageError("only one scenario at a time");
        }
    }
    if (plugin.empty()) return usageError("which plug-in DLL?");
    if (benchRuns > 0) return benchPlugin(plugin, benchRuns, 2000);

    Scenario scenario;
    std::string error;
    if (!loadScenario(path, scenario, error)) {
        std::cerr << "drapelle-runner: " << error << '\n';
        return 2;
    }

    int failed = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        reset();
        setFrameTime(frameMs);
        failed += !runCycle(plugin, scenario, cycle, cycles == 1);
    }
    if (cycles > 1) {
        std::cout << cycles - failed << " of " << cycles
                  << " load cycles clean: registered on load, unregistered on unload, "
                     "started afresh\n";
    }
    return failed == 0 ? 0 : 1;
}
