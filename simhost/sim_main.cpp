// drapelle-sim: plays a scenario against Drapelle in the stand-in host and
// prints what the player would see.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include "host/script.h"
#include "simhost/gif.h"
#include "simhost/render.h"
#include "simhost/scenario.h"
#include "simhost/simhost.h"

namespace {

const char* const kUsage = R"(Usage: drapelle-sim [options] [SCENARIO]

Runs Drapelle in the stand-in host, headless, on a simulated clock, and prints
a transcript: each key event, the menu as drawn (the highlighted row marked
with '>'), the status line while it shows, and the character's clothing.

Without SCENARIO the built-in demo plays. A scenario is a text file, one event
per line, "<ms from start> <action> [arguments]". Numbers are decimal (0300 is
300; 0x10 is refused). '#' at the start of a line or after a blank starts a
comment, on its own line or after an event:
  press KEY | release KEY | tap KEY | hold KEY MS (1 to 600000)
  dead on|off | arrested on|off | screen WIDTH HEIGHT (-100000 to 100000)
  note TEXT | end
  expect screen LINE | expect character TEXT   (checks the last frame drawn)
Keys: F9 Num0 Num2 Num4 Num5 Num8 Backspace Escape, or a virtual-key code,
decimal or hexadecimal after 0x (65 or 0x41).

An expectation's text runs to the end of its line, or to a comment, without
the blanks before it. "expect screen" compares the screen as one line: the
menu's title and a colon, each row after a blank with the highlighted one in
[ ], then, while the status line shows, " |" and the status line (which
begins with a blank); an empty LINE expects nothing drawn. "expect character"
compares the player's clothing where it differs from the default look:
   300 expect screen Drapelle: [Skin/Clothing Change] Close Menu
   900 expect screen Clothing Menu: [Show Player Clothing Data] Switch Player Clothing Data Skin/Clothing Change Skin/Clothing Texture Change Default Skin | [Face]: 0,(46),0,(1)
  2000 expect character Face drawable 2 texture 0 palette 0   # two steps on
  9000 expect character the default look
A failed expectation prints the expected and the actual line one under the
other.

Times take effect at the first frame boundary at or after them (300 ms with
16 ms frames shows as 0.304 s). Only F9 acts on a tap, when it is released;
the menu keys act only while held at the moment the menu tests them (150 or
200 ms after a change, then every frame), so "tap Num5", or a hold shorter
than that wait, does nothing, as in the game.

Options:
  --pictures DIR     also paint each key moment (every change of the screen) as
                     a PNG in DIR, with one contact sheet of them all
  --gif FILE         also write the key moments as an animated GIF
  --frame-ms N       simulated length of a game frame, 1 to 1000 (default 16)
  --print-scenario   print the built-in scenario and exit
  --version          print the version and exit
  -h, --help         show this help and exit

Exit status: 0 when the run was clean, 1 when an expectation failed or the
plug-in misused the host's native-call protocol, 2 on a usage or scenario error
(an unreadable file, a folder, a file without events, a malformed line).
)";

int usageError(const std::string& message) {
    std::cerr << "drapelle-sim: " << sim::printable(message) << "\nTry 'drapelle-sim --help'.\n";
    return 2;
}

// The key moments as numbered PNGs and a contact sheet of them all.
bool writePictures(const std::string& folder, const std::vector<sim::Image>& moments,
                   const std::vector<std::string>& captions) {
    if (moments.empty()) {
        std::cout << "\npictures: none, the screen never changed\n";
        return true;
    }
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    std::string error;
    for (std::size_t i = 0; i < moments.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%02zu.png", i + 1);
        if (!sim::writePng(moments[i], folder + "/" + name, error)) {
            std::cerr << "drapelle-sim: " << error << '\n';
            return false;
        }
    }
    const std::string sheet = folder + "/contact-sheet.png";
    if (!sim::writePng(sim::contactSheet(moments, captions, 4, 400), sheet, error)) {
        std::cerr << "drapelle-sim: " << error << '\n';
        return false;
    }
    std::cout << "\npictures: " << moments.size()
              << (moments.size() == 1 ? " key moment as " : " key moments as ") << folder
              << "/frame-NN.png, all of them in " << sheet << '\n';
    return true;
}

// The key moments as one animation, each captioned with what changed it.
bool writeAnimation(const std::string& path, std::vector<sim::Image> moments,
                    const std::vector<std::string>& captions) {
    if (moments.empty()) {
        std::cout << "animation: none, the screen never changed\n";
        return true;
    }
    for (std::size_t i = 0; i < moments.size(); ++i) {
        sim::drawOverlayText(moments[i], captions[i], 24, moments[i].height - 60, 28);
    }
    std::string error;
    if (!sim::writeGif(moments, 1600, 1, path, error)) {
        std::cerr << "drapelle-sim: " << error << '\n';
        return false;
    }
    std::cout << "animation: " << moments.size()
              << (moments.size() == 1 ? " key moment in " : " key moments in ") << path << '\n';
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string path, pictures, gif;
    DWORD frameMs = 16;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "drapelle-sim " DRAPELLE_VERSION "\n";
            return 0;
        }
        if (arg == "--print-scenario") {
            std::cout << sim::builtInScenario();
            return 0;
        }
        if (arg == "--pictures") {
            if (i + 1 == argc) return usageError("--pictures needs a folder");
            pictures = argv[++i];
        } else if (arg == "--gif") {
            if (i + 1 == argc) return usageError("--gif needs a file name");
            gif = argv[++i];
        } else if (arg == "--frame-ms") {
            if (i + 1 == argc) return usageError("--frame-ms needs a value");
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 1 || value > 1000)
                return usageError("--frame-ms takes a whole number of ms, 1 to 1000");
            frameMs = static_cast<DWORD>(value);
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError("unknown option '" + arg + "'");
        } else if (path.empty()) {
            path = arg;
        } else {
            return usageError("only one scenario at a time");
        }
    }

    sim::Scenario scenario;
    std::string error;
    if (!sim::loadScenario(path, scenario, error)) {
        std::cerr << "drapelle-sim: " << error << '\n';
        return 2;
    }

    sim::reset();
    sim::setFrameTime(frameMs);
    sim::attach(DllMain);
    const bool painting = !pictures.empty() || !gif.empty();
    std::string fontError;
    if (painting && !sim::loadFonts(fontError)) {
        std::cerr << "drapelle-sim: " << fontError << '\n';
        return 2;
    }
    std::vector<sim::Image> moments;
    std::vector<std::string> captions;
    sim::KeyMoment keep;
    if (painting) {
        keep = [&](const sim::Frame& frame, const std::string& caption) {
            moments.push_back(sim::renderFrame(frame));
            captions.push_back(caption);
        };
    }
    const int failures = sim::playScenario(scenario, std::cout, keep);
    sim::detach();
    if (!pictures.empty() && !writePictures(pictures, moments, captions)) return 2;
    if (!gif.empty() && !writeAnimation(gif, moments, captions)) return 2;
    if (failures > 0) {
        std::cerr << "drapelle-sim: " << failures << " expectation(s) failed\n";
        return 1;
    }

    if (!sim::protocolErrors().empty()) {
        for (const std::string& problem : sim::protocolErrors())
            std::cerr << "protocol: " << problem << '\n';
        return 1;
    }
    return 0;
}
