// Every Drapelle program's command line, one way for all, with CLI11.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "harness/call_record.h"
#include "harness/key_names.h"
#include "harness/scenario.h"

namespace tools {

// The rules every program shares: an option given twice is refused, a usage
// error exits with 2, --help and --version with 0.
inline void setUpCommandLine(CLI::App& app, const std::string& exitStatus) {
    // A path may start with a slash (under Wine, too): options start with dashes only.
    app.allow_windows_style_options(false);
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    app.set_version_flag("--version", app.get_name() + " " DRAPELLE_VERSION,
                         "Print the version and exit");
    app.set_help_flag("-h,--help", "Show this help and exit");
    app.footer("Exit status: " + exitStatus);
}

// -1 when the program goes on, otherwise the status to exit with.
inline int parseCommandLine(CLI::App& app, int argc, char** argv) {
    try {
        app.parse(argc, argv);
        return -1;
    } catch (const CLI::Success& done) {
        return app.exit(done);
    } catch (const CLI::ParseError& error) {
        std::cerr << app.get_name() << ": " << error.what() << "\nTry '" << app.get_name()
                  << " --help'.\n";
        return 2;
    }
}

// An option naming a folder to write into (`isFolder`), or a file to write:
// the folder is made when it is missing; a file where the folder should be, or
// a folder of the file's name, is refused, before anything runs.
inline CLI::Validator outputPath(bool isFolder) {
    return CLI::Validator(
        [isFolder](std::string& path) -> std::string {
            std::error_code error;
            if (!isFolder && std::filesystem::is_directory(path, error))
                return "'" + path + "' is a folder, not a file";
            const std::filesystem::path file = path;
            const std::filesystem::path folder = isFolder ? file : file.parent_path();
            if (folder.empty() || std::filesystem::is_directory(folder, error)) return "";
            if (std::filesystem::exists(folder, error))
                return "'" + folder.string() + "' is not a folder";
            if (!std::filesystem::create_directories(folder, error))
                return "cannot make the folder '" + folder.string() + "': " + error.message();
            return "";
        },
        "");
}

// What a program that plays a scenario takes: the scenario, the frame's
// length, and what compares its run, call for call, with another build's: a
// random scenario, and a record of the native calls.
struct ScenarioRun {
    std::string path; // empty for the built-in demo
    DWORD frameMs = 16;
    std::uint32_t randomSeed = 0; // the random scenario's seed, when `random` was given
    CLI::Option* random = nullptr;
    std::string recordPath; // the file the calls go to, or empty
    std::ofstream record;
};

inline void addScenarioRun(CLI::App& app, ScenarioRun& run) {
    app.add_option("SCENARIO", run.path, "The scenario file to play (default: the built-in demo)")
        ->type_name("FILE");
    app.add_option("--frame-ms", run.frameMs, "Simulated length of a game frame (default 16)")
        ->type_name("MS")
        ->check(CLI::Range(1, 1000).description("1 to 1000"));
    run.random = app.add_option("--random", run.randomSeed,
                                "Instead of a scenario: play a minute or more of random key\n"
                                "traffic, which acts on every row of both menus, made from\n"
                                "SEED, the same on every platform")
                     ->type_name("SEED")
                     ->excludes("SCENARIO");
    app.add_option("--record", run.recordPath,
                   "Also write every frame's native calls to FILE, bit for bit,\n"
                   "as every program writes them, to compare two builds")
        ->type_name("FILE")
        ->check(outputPath(false));
}

// The scenario to play: --random's, else SCENARIO's, else the built-in demo;
// and --record's file, opened as bytes so that every platform writes the
// same. False, saying why, when either cannot be had.
inline bool startScenarioRun(ScenarioRun& run, harness::Scenario& scenario,
                             const std::string& program) {
    std::string error;
    if (run.random->count() > 0)
        scenario =
            harness::randomScenario(run.randomSeed, harness::kRandomScenarioLength, run.frameMs);
    else
        harness::loadScenario(run.path, scenario, error);
    if (error.empty() && !run.recordPath.empty()) {
        run.record.open(run.recordPath, std::ios::binary);
        if (!run.record) error = "cannot write " + run.recordPath;
    }
    if (!error.empty()) std::cerr << program << ": " << error << '\n';
    return error.empty();
}

// What sees each frame: --record's file, when one was given.
inline harness::FrameSeen recorder(ScenarioRun& run) {
    return run.record.is_open() ? harness::recordInto(run.record) : harness::FrameSeen{};
}

// A live preview's set-up: its command line, with the keys it keeps for itself
// beside those it passes on in its help and --shots, the folder of F12's
// screenshots; and the stand-in on the real clock, its keys repeated by the
// window system.
inline void setUpPreview(CLI::App& app, const std::string& ownKeys, const std::string& extension,
                         std::string& shots) {
    app.description(
        "Opens a 1280 x 720 window with the stand-in game scene and runs the plug-in in\n"
        "it, as the script host would.\n" +
        harness::previewKeysHelp() +
        "Resize the window to change the screen resolution the game reports.\n\n" + ownKeys +
        "  F12     save a screenshot of the window, shot-1" + extension + ", shot-2" + extension +
        " ... (see\n          --shots); none is overwritten\n"
        "  Escape  close the window (so does the window's close button)\n\n"
        "Each key message given to the plug-in, each change of the screen and of its size\n"
        "is logged on standard output.\n");
    setUpCommandLine(app, "0 when the window closed cleanly, 1 when the plug-in misused the\n"
                          "host's native-call protocol or no window could be opened, 2 on a\n"
                          "usage error (on Windows, a plug-in that cannot be loaded among them).");
    app.add_option("--shots", shots,
                   "Where F12 saves its screenshots, made when missing\n"
                   "(default: the current folder)")
        ->type_name("FOLDER")
        ->check(outputPath(true));
    sim::reset();
    sim::setFrameTime(0);    // the clock follows real time instead
    sim::setKeyRepeat(0, 0); // the window system repeats held keys itself
}

// A preview's frames, about sixty a second on the real clock (`ticks` reads
// it in ms, `sleep` waits), until `frame` says the window closed. The clock
// goes first: a key is stamped with the time it is handed over, not that of
// the frame before, which can be older than a tap lasts.
template <typename Ticks, typename Sleep, typename Frame>
void runPreviewFrames(Ticks ticks, Sleep sleep, Frame frame) {
    for (auto last = ticks();;) {
        const auto now = ticks();
        sim::advance(now - last);
        last = now;
        if (!frame()) return;
        if (const auto spent = ticks() - now; spent < 16) sleep(16 - spent);
    }
}

// A preview's exit status once its window closed: 1, naming each misuse of
// the native-call protocol, when there was one.
inline int previewStatus() {
    for (const std::string& problem : sim::protocolErrors())
        std::cerr << "drapelle-play: protocol: " << problem << '\n';
    return sim::protocolErrors().empty() ? 0 : 1;
}

// F12's screenshot, under the first name in `folder` not yet taken (shot-1,
// shot-2 ...): `write(file, error)` writes it beside that name, which it then
// takes, so that a reader who sees the name never reads it half-written.
// Says where it went, or why it did not.
template <typename Write>
void saveShot(const std::string& folder, const std::string& extension, Write write) {
    std::string path, error;
    std::error_code failed;
    for (int n = 1; path.empty() || std::filesystem::exists(path, failed); ++n)
        path = (std::filesystem::path(folder) / ("shot-" + std::to_string(n) + extension)).string();
    const bool written = write(path + ".part", error);
    if (written) std::filesystem::rename(path + ".part", path, failed);
    if (written && !failed)
        std::cout << "screenshot: " << path << std::endl;
    else
        std::cerr << "drapelle-play: " << (error.empty() ? "cannot write " + path : error) << '\n';
}

} // namespace tools
