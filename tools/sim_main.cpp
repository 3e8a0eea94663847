// drapelle-sim: plays a scenario against Drapelle in the stand-in host and
// prints what the player would see.
#include <algorithm>
#include <cstdio>

#include <filesystem>
#include <iostream>
#include <optional>
#include <regex>
#include <sstream>
#include <vector>

#include <unistd.h>

#include "harness/call_record.h"
#include "harness/key_names.h"
#include "harness/scenario.h"
#include "host/script.h"
#include "input/key_table.h"
#include "simhost/picture/gif.h"
#include "simhost/picture/render.h"
#include "simhost/screen.h"
#include "simhost/simhost.h"
#include "tools/command_line.h"
#include "ui/menus.h"

namespace {

// The help text, with the keys from the key table and the menus' waits from
// the plug-in's own constants.
std::string description() {
    std::string keys = "Keys:", word;
    for (std::istringstream words(harness::scenarioKeyNames() +
                                  ", or a virtual-key code, decimal or hexadecimal after 0x (65 "
                                  "or 0x41); Drapelle's own come first.");
         words >> word;) {
        const std::size_t lineStart = keys.rfind('\n') + 1;
        keys += (keys.size() - lineStart + word.size() + 1 > 78 ? "\n" : " ") + word;
    }
    std::string text =
        R"(Runs Drapelle in the stand-in host, headless, on a simulated clock, and prints
a transcript: each key event, the menu as drawn (the highlighted row marked
with '>'), the status line while it shows, and the character's clothing.

Without SCENARIO the built-in demo plays. A scenario is a text file, one event
per line, "<ms from start> <action> [arguments]". Numbers are decimal (0300 is
300; 0x10 is refused); a time may be a sum of them and the design's times,
1000+kStatusTime-10 (kMoveWait, kSelectWait, kStatusTime, kHeldFor, kTappedFor). '#' at the start of a line or after a blank starts a
comment, on its own line or after an event:
  press KEY | release KEY | tap KEY | hold KEY MS (1 to 600000)
  select ROW   (a row of the menu shown, by its caption or its number from 1
                at the top: numpad 8 or 2 held, the shorter way round, until
                the menu highlights it, then numpad 5 for one frame when the
                menu next tests the keys)
  dead on|off | arrested on|off | screen WIDTH HEIGHT (-100000 to 100000)
  mid-frame on|off   (key messages arrive between the natives of the next
                      frame, as the game window's thread delivers them)
  note TEXT | end
  expect screen LINE | expect character TEXT   (checks the last frame drawn)
@KEYS@

A row's caption, like an expectation's text, runs to the end of its line, or
to a comment, without the blanks before it. "expect screen" compares the
screen as one line: the menu's title and a colon, each row after a blank with
the highlighted one in [ ], then, while the status line shows, " |" and the
status line (which begins with a blank); "..." in LINE stands for any rows
(any text before the " |"), and an empty LINE expects nothing drawn. "expect
character" compares the player's clothing where it differs from the default
look:
   300 expect screen Drapelle: @MAIN@
   400 select @ENTER@
   700 select 1
   900 expect screen Clothing Menu: [@FIRST@] ... | [Face]: 0,(46),0,(1)
  2000 expect character Face drawable 2 texture 0 palette 0   # two steps on
  9000 expect character the default look
A failed expectation prints its file and line, then the expected and the actual
line quoted one under the other, with their first difference marked. A select
fails as an expectation does when the menu shown has no such row, when the
menu goes before the row is reached, or when an event that is not a note or
an expectation comes before it is done; with no move to make, it first waits
out any wait the keys before it may have started.

Times take effect at the first frame boundary at or after them (300 ms with
16 ms frames shows as 0.304 s). Only @TAPPED@ acts on a tap, when it is released;
the menu keys act only while held at the moment the menu tests them (@MOVE@ or
@SELECT@ ms after a change, then every frame until a key acts): "tap Num5" never
acts, and a hold acts when it is down at one of those tests, so a short hold
while the menu waits does nothing, but one frame's hold after it selects.

While the character is dead or being arrested nothing of Drapelle is drawn and
no key is tested; the menu comes back where it was when that ends. A scenario
longer than a simulated day asks for --long; on a terminal, a long run shows
its progress every ten minutes of simulated time.
)";
    const auto fill = [&text](const std::string& mark, const std::string& value) {
        text.replace(text.find(mark), mark.size(), value);
    };
    // The menus' rows from their tables, as the screen line shows them.
    std::string mainRows = "[" + std::string(kMainRows[0]) + "]";
    for (std::int32_t i = 1; i < kMainMenuRows; ++i) mainRows += " " + std::string(kMainRows[i]);
    fill("@MAIN@", mainRows);
    fill("@ENTER@", std::string(kMainRows[0]));
    fill("@FIRST@", std::string(kClothingRows[0]));
    fill("@KEYS@", keys);
    fill("@TAPPED@", harness::findKey(kMenuKey)->scenarioName);
    fill("@MOVE@", std::to_string(kMoveWait));
    fill("@SELECT@", std::to_string(kSelectWait));
    return text;
}

constexpr DWORD kSimulatedDay = 24 * 60 * 60 * 1000; // ms
constexpr DWORD kProgressEvery = 10 * 60 * 1000;     // ms

// On a terminal, every ten minutes of simulated time (a few seconds of real
// time): how far the simulated clock has got, on one line that the next one
// overwrites.
void showProgress(DWORD played, DWORD length) {
    static DWORD stepsShown = 0;
    if (played / kProgressEvery == stepsShown) return;
    stepsShown = played / kProgressEvery;
    std::fprintf(stderr, "\rdrapelle-sim: %.1f s of %.1f s simulated", played / 1000.0,
                 length / 1000.0);
}

// Says why a picture was not written; false.
bool cannotWrite(const std::string& why) {
    std::cerr << "drapelle-sim: " << why << '\n';
    return false;
}

// What an earlier run wrote into the folder, and nothing else: frame-NN.png
// and contact-sheet.png.
void removeEarlierPictures(const std::string& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        static const std::regex earlier(R"(frame-[0-9]+\.png|contact-sheet\.png)");
        if (std::regex_match(entry.path().filename().string(), earlier))
            std::filesystem::remove(entry.path(), error);
    }
}

// The key moments as numbered PNGs and a contact sheet of them all.
bool writePictures(const std::string& folder, const std::vector<picture::Image>& moments,
                   const std::vector<std::string>& captions, const std::vector<int>& menuCorners) {
    if (moments.empty()) {
        std::cout << "\npictures: none, the screen never changed\n";
        return true;
    }
    removeEarlierPictures(folder);
    std::string error;
    bool written = true;
    for (std::size_t i = 0; written && i < moments.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%02zu.png", i + 1);
        written = picture::writePng(moments[i], folder + "/" + name, error);
    }
    const std::string sheet = folder + "/contact-sheet.png";
    if (!written ||
        !picture::writePng(picture::contactSheet(moments, captions, menuCorners, 3, 560), sheet,
                           error))
        return cannotWrite(error);
    std::cout << "\npictures: " << moments.size()
              << (moments.size() == 1 ? " key moment as " : " key moments as ") << folder
              << "/frame-NN.png, all of them in " << sheet << '\n';
    return true;
}

// The key moments as one animation, each captioned with what changed it.
bool writeAnimation(const std::string& path, std::vector<picture::Image> moments,
                    const std::vector<std::string>& captions) {
    if (moments.empty()) {
        std::cout << "animation: none, the screen never changed\n";
        return true;
    }
    for (std::size_t i = 0; i < moments.size(); ++i)
        picture::drawOverlayText(moments[i], captions[i], 24, moments[i].height - 60, 28);
    std::string error;
    if (!picture::writeGif(moments, 1600, path, error)) return cannotWrite(error);
    std::cout << "animation: " << moments.size()
              << (moments.size() == 1 ? " key moment in " : " key moments in ") << path << '\n';
    return true;
}

// The moment --still asked for, exactly as painted.
bool writeStill(const std::string& path, const std::optional<picture::Image>& moment,
                const std::vector<std::string>& shows) {
    std::string error;
    if (!moment) {
        error = "no key moment's screen line shows";
        for (const std::string& text : shows) error += " \"" + text + "\"";
        error += ", so " + path + " was not written";
    } else if (picture::writePng(*moment, path, error)) {
        std::cout << "still: the first key moment that shows it, in " << path << '\n';
        return true;
    }
    return cannotWrite(error);
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{description(), "drapelle-sim"};
    tools::setUpCommandLine(app,
                            "0 when the run was clean, 1 when an expectation failed or the\n"
                            "plug-in misused the host's native-call protocol, 2 on a usage or\n"
                            "scenario error (an unreadable file, a folder, a file without events,\n"
                            "a malformed line).");
    tools::ScenarioRun run;
    tools::addScenarioRun(app, run);
    std::string pictures, gif;
    bool printScenario = false, longRun = false;
    app.add_option("--pictures", pictures,
                   "Also paint each key moment (every change of the\n"
                   "screen) as frame-NN.png in FOLDER, made when missing,\n"
                   "with contact-sheet.png of them all; the frame-NN.png\n"
                   "and contact-sheet.png of an earlier run there are\n"
                   "deleted first, nothing else")
        ->type_name("FOLDER")
        ->check(tools::outputPath(true));
    app.add_option("--gif", gif, "Also write the key moments as an animated GIF")
        ->type_name("FILE")
        ->check(tools::outputPath(false));
    std::string still;
    std::vector<std::string> shows;
    CLI::Option* stillOption =
        app.add_option("--still", still,
                       "Also paint, as FILE, the first key moment whose screen\n"
                       "line shows every --when text (as the transcript's\n"
                       "expect screen reads it); fails if none does")
            ->type_name("FILE")
            ->check(tools::outputPath(false));
    app.add_option("--when", shows, "A text the --still moment's screen line holds")
        ->type_name("TEXT")
        ->needs(stillOption);
    stillOption->needs("--when");
    app.add_flag("--print-scenario", printScenario, "Print the built-in scenario and exit");
    app.add_flag("--long", longRun,
                 "Play a scenario longer than a simulated day (it takes\n"
                 "minutes of real time)");
    if (const int status = tools::parseCommandLine(app, argc, argv); status >= 0) return status;
    if (printScenario) {
        std::cout << harness::builtInScenario();
        return 0;
    }

    harness::Scenario scenario;
    if (!tools::startScenarioRun(run, scenario, "drapelle-sim")) return 2;
    if (harness::scenarioLength(scenario) > kSimulatedDay && !longRun) {
        std::cerr << "drapelle-sim: " << harness::printable(scenario.name) << " runs "
                  << harness::scenarioLength(scenario) / 1000
                  << " s of simulated time, more than a day: give --long to play it\n";
        return 2;
    }

    harness::startRun(run.frameMs);
    sim::attach(DllMain);
    const bool painting = !pictures.empty() || !gif.empty() || !still.empty();
    std::string fontError;
    if (painting && !sim::loadFonts(fontError)) {
        std::cerr << "drapelle-sim: " << fontError << '\n';
        return 2;
    }
    std::vector<picture::Image> moments;
    std::vector<std::string> captions;
    std::vector<int> menuCorners;
    std::optional<picture::Image> stillMoment;
    const auto showsEvery = [&shows](const std::string& line) {
        return std::all_of(shows.begin(), shows.end(),
                           [&](const std::string& text) { return line.find(text) != line.npos; });
    };
    harness::KeyMoment keep;
    if (painting) {
        keep = [&](const sim::Frame& frame, const std::string& caption) {
            moments.push_back(picture::renderFrame(frame));
            captions.push_back(caption);
            menuCorners.push_back(picture::menuCorner(frame));
            if (!still.empty() && !stillMoment && showsEvery(sim::screenLine(frame)))
                stillMoment = moments.back();
        };
    }
    const int failures =
        harness::playScenario(scenario, std::cout, keep,
                              isatty(STDERR_FILENO) ? showProgress : nullptr, tools::recorder(run));
    std::cout.flush(); // the transcript ends before any message on stderr, in a log of both
    if (isatty(STDERR_FILENO)) std::cerr << "\r\033[K" << std::flush;
    sim::detach();
    if (!pictures.empty() && !writePictures(pictures, moments, captions, menuCorners)) return 2;
    if (!gif.empty() && !writeAnimation(gif, moments, captions)) return 2;
    if (!still.empty() && !writeStill(still, stillMoment, shows)) return 1;
    if (failures > 0) {
        std::cerr << "drapelle-sim: " << failures << " expectation(s) failed\n";
        return 1;
    }
    for (const std::string& problem : sim::protocolErrors())
        std::cerr << "protocol: " << problem << '\n';
    return sim::protocolErrors().empty() ? 0 : 1;
}
