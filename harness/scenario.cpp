#include "harness/scenario.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "harness/key_names.h"
#include "input/key_table.h"
#include "simhost/game.h"
#include "simhost/screen.h"
#include "simhost/simhost.h"
#include "ui/menus.h"
#include "ui/status_line.h"

namespace harness {
namespace {

// What is wrong with a line, thrown from wherever it is found.
using BadLine = std::runtime_error;

// The text from its first character at or after `at` that is not a blank.
std::string fromFirstNonBlank(const std::string& text, std::size_t at = 0) {
    const std::size_t start = text.find_first_not_of(" \t", at);
    return start == std::string::npos ? "" : text.substr(start);
}

bool isHexadecimal(const std::string& word) {
    return std::regex_match(word, std::regex("[-+]?0[xX].*"));
}

// A whole number in decimal (or, with `hexadecimal`, in hexadecimal after 0x);
// leading zeros change nothing: 0300 is 300.
bool parseNumber(const std::string& word, long long& value, bool hexadecimal = false) {
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(word.c_str(), &end, hexadecimal ? 16 : 10);
    // Beyond the range of a long long: still a number, and out of any range.
    if (errno == ERANGE) value = word[0] == '-' ? -0x7FFFFFFFFFFFFFFFll : 0x7FFFFFFFFFFFFFFFll;
    return *end == '\0';
}

// A whole number in [low, high]; what is wrong with it otherwise, naming
// `what` and the allowed range.
long long number(const std::string& word, const std::string& what, long long low, long long high) {
    const auto bad = [&](const std::string& why) {
        return BadLine(what + " '" + word + "' " + why + " (" + std::to_string(low) + " to " +
                       std::to_string(high) + ")");
    };
    long long value = 0;
    if (isHexadecimal(word)) throw bad("is hexadecimal; numbers in a scenario are decimal");
    if (!parseNumber(word, value)) throw bad("is not a number");
    if (value < 0 && low >= 0) throw bad("is negative");
    if (value < low || value > high) throw bad("is out of range");
    return value;
}

// The design's times a scenario may name, each the plug-in's own constant, so
// that a scenario testing a time follows it when it changes.
const std::pair<const char*, DWORD> kDesignTimes[] = {{"kMoveWait", kMoveWait},
                                                      {"kSelectWait", kSelectWait},
                                                      {"kStatusTime", kStatusTime},
                                                      {"kHeldFor", kHeldFor},
                                                      {"kTappedFor", kTappedFor}};

// A time: decimal ms, or a sum of them and the design's times,
// "1000+kStatusTime-10".
DWORD parseTime(const std::string& word) {
    if (word.find_first_of("+-", 1) == std::string::npos && word.rfind('k', 0) != 0)
        return static_cast<DWORD>(number(word, "time", 0, 0x7FFFFFFF));
    const BadLine bad("time '" + word +
                      "' is not one (0 to 2147483647 ms, or a sum such as 1000+kStatusTime-10 of "
                      "ms and kMoveWait, kSelectWait, kStatusTime, kHeldFor, kTappedFor)");
    long long at = 0;
    for (std::size_t start = 0, end = 0; start < word.size(); start = end + 1) {
        end = std::min(word.find_first_of("+-", start), word.size());
        const std::string term = word.substr(start, end - start);
        long long value = -1;
        for (const auto& [name, time] : kDesignTimes)
            if (term == name) value = time;
        if (value < 0 && !parseNumber(term, value)) throw bad;
        at += start > 0 && word[start - 1] == '-' ? -value : value;
    }
    if (word.back() == '+' || word.back() == '-' || at < 0 || at > 0x7FFFFFFF) throw bad;
    return static_cast<DWORD>(at);
}

// A key by its name, or a virtual-key code: decimal, or hexadecimal after 0x
// as codes are usually written.
DWORD parseKey(const std::string& word) {
    if (const NamedKey* named = findKey(word)) return named->code;
    long long code = 0;
    const bool hexadecimal = isHexadecimal(word);
    if (!parseNumber(hexadecimal ? word.substr(2) : word, code, hexadecimal) || code < 0 ||
        code > 0xFFFFFFFFll)
        throw BadLine("unknown key '" + word + "' (" + scenarioKeyNames() +
                      ", or a code 0 to 4294967295, such as 65 or 0x41)");
    return static_cast<DWORD>(code);
}

// One line into one or two events, or BadLine saying what is wrong with it.
void parseLine(const std::string& line, std::vector<ScenarioEvent>& events) {
    std::istringstream words(line);
    std::string time, action, first, second, extra;
    words >> time >> action >> first >> second >> extra;
    ScenarioEvent event;
    event.at = parseTime(time);
    event.text = line.substr(line.find(action));
    // A note's text, an expectation and a row run to the end of the line.
    const std::string rest = fromFirstNonBlank(event.text, action.size());
    if (action == "note") {
        if (rest.empty()) throw BadLine("a note needs a text");
        event.text = rest;
    } else if (action == "expect") {
        if (first != "screen" && first != "character")
            throw BadLine("unknown expectation '" + first +
                          "' (expect screen or expect character)");
        event.kind = EventKind::Expect;
        event.a = first == "screen";
        event.text = fromFirstNonBlank(rest, first.size());
    } else if (action == "select") { // a row's caption, or its number
        if (rest.empty())
            throw BadLine("select needs a row: its caption, or its number from 1 at the top");
        event.kind = EventKind::Select;
        if (rest.find_first_not_of("0123456789") == std::string::npos)
            event.a = static_cast<std::int32_t>(number(rest, "row", 1, 99));
    } else if (!extra.empty()) {
        throw BadLine("too many words");
    } else if (action == "press" || action == "release" || action == "tap" || action == "hold") {
        if (first.empty()) throw BadLine(action + " needs a key");
        event.key = parseKey(first);
        event.kind = action == "release" ? EventKind::Release
                     : action == "tap"   ? EventKind::Tap
                                         : EventKind::Press;
        if (action != "hold" && !second.empty()) throw BadLine("too many words");
        if (action == "hold") {
            if (second.empty()) throw BadLine("hold needs a duration in ms after the key");
            const long long duration = number(second, "hold duration", 1, 600000);
            events.push_back(event);
            event.kind = EventKind::Release;
            event.at += static_cast<DWORD>(duration);
            event.text = "release " + first;
        }
    } else if (action == "dead" || action == "arrested" || action == "mid-frame") {
        if ((first != "on" && first != "off") || !second.empty())
            throw BadLine(action + " needs on or off");
        event.a = first == "on";
        event.kind = action == "dead"       ? EventKind::Dead
                     : action == "arrested" ? EventKind::Arrested
                                            : EventKind::MidFrame;
    } else if (action == "screen") {
        if (first.empty() || second.empty()) throw BadLine("screen needs a width and a height");
        event.kind = EventKind::Screen;
        event.a = static_cast<std::int32_t>(number(first, "screen width", -100000, 100000));
        event.b = static_cast<std::int32_t>(number(second, "screen height", -100000, 100000));
    } else if (action == "end") {
        if (!first.empty()) throw BadLine("too many words");
        event.kind = EventKind::End;
    } else {
        throw BadLine(action.empty() ? "an action must follow the time"
                                     : "unknown action '" + action + "'");
    }
    events.push_back(event);
}

std::string formatTime(DWORD ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%3u.%03us", static_cast<unsigned>(ms / 1000),
                  static_cast<unsigned>(ms % 1000));
    return text;
}

// The player's character, component by component, where it differs from the
// game's default look.
std::string describeCharacter() {
    std::string text;
    const sim::Game& world = sim::game();
    for (std::int32_t id = 0; id < 12; ++id) {
        const sim::Variation now = sim::variationOf(world.playerPed, id);
        const auto known = world.catalogue.find(id);
        const sim::Variation standard =
            known == world.catalogue.end() ? sim::Variation{} : known->second.defaults;
        if (now == standard) continue;
        char part[96];
        std::snprintf(part, sizeof part, "%s%s drawable %d texture %d palette %d",
                      text.empty() ? "" : "; ", sim::componentName(id), now.drawable, now.texture,
                      now.palette);
        text += part;
    }
    return text.empty() ? "the default look" : text;
}

void printScreen(const sim::Frame& frame, std::ostream& out) {
    const sim::Screen screen = sim::readScreen(frame);
    const std::string indent(13, ' ');
    out << indent << (screen.title.empty() ? "(no menu)" : "+ " + screen.title) << '\n';
    for (std::size_t i = 0; i < screen.rows.size(); ++i) {
        out << indent << (static_cast<int>(i) == screen.highlighted ? "> " : "  ") << screen.rows[i]
            << '\n';
    }
    if (screen.hasStatus) out << indent << "status:\"" << screen.status << "\"\n";
}

} // namespace

std::string scenarioKeyNames() {
    std::string names;
    for (const NamedKey& key : kDrapelleKeys) names.append(key.scenarioName).append(" ");
    for (const NamedKey& key : kOtherKeys) names.append(key.scenarioName).append(" ");
    names.pop_back();
    return names;
}

std::string printable(const std::string& text) {
    std::string shown;
    for (const unsigned char c : text) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
        shown += escaped;
    }
    return shown;
}

// The line without its comment: '#' at its start or after a blank starts one,
// and the blanks before it go too.
std::string withoutComment(const std::string& line) {
    static const std::regex comment(R"((^|[ \t])#)");
    std::smatch found;
    std::string kept = std::regex_search(line, found, comment) ? found.prefix().str() : line;
    kept.erase(kept.find_last_not_of(" \t") + 1);
    return kept;
}

bool parseScenario(std::istream& in, const std::string& name, Scenario& scenario,
                   std::string& error) {
    std::vector<ScenarioEvent> events;
    std::string line;
    DWORD lineAt = 0; // the time of the last well-formed line
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = fromFirstNonBlank(withoutComment(line));
        if (line.empty()) continue;
        const std::size_t before = events.size();
        try {
            parseLine(line, events);
            if (events[before].at < lineAt) throw BadLine("time goes backwards");
        } catch (const BadLine& bad) {
            error = printable(name + ":" + std::to_string(number) + ": " + bad.what());
            return false;
        }
        lineAt = events[before].at;
        // A hold's release is the same line's, too.
        for (std::size_t i = before; i < events.size(); ++i) events[i].line = number;
    }
    if (events.empty()) {
        error = printable(name) + " has no events";
        return false;
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const ScenarioEvent& a, const ScenarioEvent& b) { return a.at < b.at; });
    scenario.name = name;
    scenario.events = std::move(events);
    return true;
}

bool loadScenario(const std::string& path, Scenario& scenario, std::string& error) {
    if (path.empty()) {
        std::istringstream text(builtInScenario());
        return parseScenario(text, "built-in", scenario, error);
    }
    std::error_code failed;
    if (std::filesystem::is_directory(path, failed)) {
        error = printable(path) + " is a directory, not a scenario file";
        return false;
    }
    std::ifstream file(path);
    if (!file) {
        error = "cannot read " + printable(path) + ": " + std::strerror(errno);
        return false;
    }
    return parseScenario(file, path, scenario, error);
}

const char* builtInScenario() {
    // The menu key by its name in the key table. The last lines wait out the
    // status line's time after the last select, whatever the plug-in's is, so
    // that a row added before them moves them all.
    const std::string menuKey = findKey(kMenuKey)->scenarioName;
    static const std::string text =
        "# The demo: every row of both menus, then out again.\n   0 note Tap " + menuKey +
        ": the menu opens on its first row\n   0 tap " + menuKey + std::string(R"(
 300 note Select the first row: the clothing menu opens
 300 hold Num5 100
 700 note Select its first row: slot Face's numbers
 700 hold Num5 100
1000 note Down, then select the second: slot Head
1000 hold Num2 100
1300 hold Num5 100
1600 note Down, then the third four times: Head has 3 drawables, the third wraps
1600 hold Num2 100
1900 hold Num5 100
2200 hold Num5 100
2500 hold Num5 100
2800 hold Num5 100
3100 note Down, then the fourth three times: 3 textures, the third wraps
3100 hold Num2 100
3400 hold Num5 100
3700 hold Num5 100
4000 hold Num5 100
4300 note Down, then the fifth: the character's default look, no new status line
4300 hold Num2 100
4600 hold Num5 100
4900 note Backspace: back to the top menu
4900 hold Backspace 100
5300 note Down, then select the last row: it closes
5300 hold Num2 100
5600 hold Num5 100
5900 note The status line stays for its )") +
        std::to_string(kStatusTime) + " ms, menu or not\n5900+kStatusTime end\n";
    return text.c_str();
}

// Where `actual` first departs from `expected`, or npos when it does not.
// In a screen line "..." stands for any rows: any text without the '|' that
// starts the status line, so that a line names only the rows it is about;
// such a line that fails is marked where its text before the first "..." ends.
std::size_t firstDifference(const std::string& expected, const std::string& actual, bool screen) {
    const std::size_t gap = screen ? expected.find("...") : std::string::npos;
    const std::size_t shorter = std::min({gap, expected.size(), actual.size()});
    const std::size_t column =
        std::mismatch(actual.begin(), actual.begin() + shorter, expected.begin()).first -
        actual.begin();
    if (gap == std::string::npos) return expected == actual ? std::string::npos : column;
    const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    std::string pattern = std::regex_replace(expected, special, R"(\$&)");
    pattern = std::regex_replace(pattern, std::regex(R"(\\\.\\\.\\\.)"), "[^|]*");
    return std::regex_match(actual, std::regex(pattern)) ? std::string::npos : column;
}

// Whether what is shown now is what the scenario expects; says so if not,
// naming the line that expected it. The actual line loses its leading blanks
// (a screen without a menu starts " |"), as the expected text is read.
bool checkExpectation(const std::string& scenario, const ScenarioEvent& event, std::ostream& out) {
    const bool screen = event.a != 0;
    const std::string actual =
        fromFirstNonBlank(screen ? sim::screenLine(sim::lastFrame()) : describeCharacter());
    const std::size_t column = firstDifference(event.text, actual, screen);
    if (column == std::string::npos) return true;
    // Quoted, so that a blank at either end shows, and the first difference marked.
    out << "  FAILED: " << printable(scenario) << ':' << event.line << ": expect "
        << (screen ? "screen" : "character") << '\n'
        << "    expected: \"" << printable(event.text) << "\"\n"
        << "    actual:   \"" << printable(actual) << "\"\n"
        << "               " << std::string(column, ' ') << "^ first difference, column "
        << column + 1 << '\n';
    return false;
}

// A select under way: it holds numpad 2 or 8, the shorter way round, until
// the menu highlights its row, then numpad 5 for one frame when the menu
// next tests the keys: kMoveWait after the last move or, with no move to
// make, once any wait a key sent before may have started is over.
struct RowSelection {
    const ScenarioEvent* event = nullptr; // the line that asked; null when none is under way
    std::string title;                    // the menu it selects in
    int row = 0;
    DWORD key = 0;      // the key it holds, 0 for none
    bool there = false; // the row is highlighted
    DWORD selectAt = 0; // numpad 5 goes down at the first frame from this tick
    DWORD until = 0;    // not done by this tick, it fails
};

DWORD scenarioLength(const Scenario& scenario) {
    return scenario.events.empty() ? 0 : scenario.events.back().at;
}

int playScenario(const Scenario& scenario, std::ostream& out, const KeyMoment& onKeyMoment,
                 const Progress& onProgress, const FrameSeen& onFrame) {
    int failures = 0, passes = 0;
    std::string eventSince = "start";     // the last event since the last key moment
    std::vector<std::string> held;        // keys pressed and not yet released, by name
    sim::Frame before = sim::lastFrame(); // the frame the screen last changed to
    const DWORD start = sim::now();
    const DWORD last = scenarioLength(scenario);
    bool hiddenSince = false; // a death or an arrest since the last key moment
    std::string shownScreen = sim::screenLine(sim::lastFrame());
    std::string shownCharacter = describeCharacter();
    out << formatTime(0) << "  character: " << shownCharacter << '\n';
    std::size_t next = 0;
    bool ended = false;
    DWORD lastKeyAt = start; // when the scenario last sent a key
    RowSelection selecting;
    // What changed the screen at a key moment: the status line's time running
    // out, when the line went with the menu as it was and nothing since hid the
    // plug-in (a key released meanwhile changes nothing there); else the last
    // event since the moment before; else a key still held.
    const auto explainChange = [&](const sim::Frame& after) -> std::string {
        const sim::Screen was = sim::readScreen(before), is = sim::readScreen(after);
        const bool statusWent = was.hasStatus && !is.hasStatus && was.title == is.title &&
                                was.rows == is.rows && was.highlighted == is.highlighted;
        if (statusWent && !hiddenSince)
            return "the status line's " + std::to_string(kStatusTime) + " ms ran out";
        if (!eventSince.empty()) return eventSince;
        if (!held.empty()) return held.back() + " still held";
        return "the menu's wait ended";
    };
    // An event as the transcript writes it, when it is played.
    const auto show = [&](const ScenarioEvent& event) {
        const std::string at = formatTime(sim::now() - start);
        if (event.kind == EventKind::Note)
            out << '\n' << at << "  # " << event.text << '\n';
        else if (event.kind == EventKind::Expect)
            out << at << "  expect " << (event.a ? "screen" : "character") << " \"" << event.text
                << "\"\n";
        else
            out << at << "  " << event.text << '\n';
    };
    // What it does then; a select goes on frame by frame.
    const auto play = [&](const ScenarioEvent& event) {
        // The key as written: "Num5" of "hold Num5 100".
        const std::string key = event.text.substr(event.text.find(' ') + 1);
        const std::string keyName = key.substr(0, key.find(' '));
        if (event.kind != EventKind::Note && event.kind != EventKind::Expect &&
            event.kind != EventKind::End)
            eventSince = event.text;
        if (event.kind == EventKind::Press || event.kind == EventKind::Release ||
            event.kind == EventKind::Tap)
            lastKeyAt = sim::now();
        if (event.kind == EventKind::Press || event.kind == EventKind::Tap) sim::keyDown(event.key);
        if (event.kind == EventKind::Release || event.kind == EventKind::Tap) sim::keyUp(event.key);
        if (event.kind == EventKind::Press) held.push_back(keyName);
        if (event.kind == EventKind::Release) std::erase(held, keyName);
        hiddenSince |= event.kind == EventKind::Dead || event.kind == EventKind::Arrested;
        if (event.kind == EventKind::Dead) sim::game().dead = event.a != 0;
        if (event.kind == EventKind::Arrested) sim::game().arrested = event.a != 0;
        if (event.kind == EventKind::MidFrame)
            sim::setKeysMidFrame(event.a != 0, static_cast<std::uint32_t>(event.line));
        if (event.kind == EventKind::Screen) {
            sim::game().screenWidth = event.a;
            sim::game().screenHeight = event.b;
        }
        if (event.kind == EventKind::End) ended = true;
        if (event.kind == EventKind::Expect)
            ++(checkExpectation(scenario.name, event, out) ? passes : failures);
    };
    // A key a select sends, played as the event it is.
    const auto sendKey = [&](DWORD key, bool down) {
        const std::string name = findKey(key)->scenarioName;
        const ScenarioEvent event{.kind = down ? EventKind::Press : EventKind::Release,
                                  .key = key,
                                  .text = (down ? "press " : "release ") + name};
        show(event);
        play(event);
    };
    const auto selectFailed = [&](const std::string& why) {
        out << "  FAILED: " << printable(scenario.name) << ':' << selecting.event->line << ": "
            << printable(selecting.event->text) << ": " << why << '\n';
        ++failures;
        if (selecting.key != 0) sendKey(selecting.key, false);
        selecting = {};
    };
    const auto startSelect = [&](const ScenarioEvent& event) {
        const sim::Screen screen = sim::readScreen(sim::lastFrame());
        const std::string caption = fromFirstNonBlank(event.text, 6);
        const auto named = std::find(screen.rows.begin(), screen.rows.end(), caption);
        const DWORD frame = sim::now() - sim::lastFrame().tick;
        selecting = {.event = &event,
                     .title = screen.title,
                     .row =
                         event.a > 0 ? event.a - 1 : static_cast<int>(named - screen.rows.begin()),
                     .selectAt = lastKeyAt + std::max(kMoveWait, kSelectWait) + 2 * frame,
                     .until = sim::now() + static_cast<DWORD>(screen.rows.size() + 2) *
                                               (kMoveWait + kSelectWait + 2 * frame)};
        if (screen.title.empty())
            selectFailed("no menu is shown");
        else if (selecting.row >= static_cast<int>(screen.rows.size()))
            selectFailed("\"" + screen.title + "\" has no such row");
    };
    const auto stepSelect = [&] {
        const sim::Screen screen = sim::readScreen(sim::lastFrame());
        if (!selecting.there && screen.title != selecting.title)
            return selectFailed("\"" + selecting.title + "\" went before the row was reached");
        const int rows = static_cast<int>(screen.rows.size());
        if (!selecting.there && screen.highlighted == selecting.row) {
            selecting.there = true;
            if (selecting.key != 0) {
                sendKey(selecting.key, false);
                selecting.key = 0;
                selecting.selectAt = sim::lastFrame().tick + kMoveWait;
            }
        } else if (!selecting.there && selecting.key == 0) {
            const int down = (selecting.row - screen.highlighted + rows) % rows;
            selecting.key = down <= rows - down ? kKeyNumpad2 : kKeyNumpad8;
            sendKey(selecting.key, true);
        }
        if (selecting.there && selecting.key != 0) {
            sendKey(selecting.key, false);
            selecting = {};
        } else if (selecting.there && sim::now() >= selecting.selectAt) {
            selecting.key = kKeyNumpad5;
            sendKey(selecting.key, true);
        } else if (sim::now() > selecting.until) {
            selectFailed("not done in time; the screen shows \"" +
                         sim::screenLine(sim::lastFrame()) + "\"");
        }
    };
    while (!ended && (static_cast<DWORD>(sim::now() - start) <= last + 500 || selecting.event)) {
        const DWORD elapsed = sim::now() - start;
        for (; next < scenario.events.size() && scenario.events[next].at <= elapsed; ++next) {
            const ScenarioEvent& event = scenario.events[next];
            show(event);
            if (selecting.event && event.kind != EventKind::Note && event.kind != EventKind::Expect)
                selectFailed("line " + std::to_string(event.line) + " came before it was done");
            play(event);
            if (event.kind == EventKind::Select) startSelect(event);
        }
        if (ended) break;
        if (selecting.event) stepSelect();
        sim::runFrame();
        if (onFrame) onFrame(sim::lastFrame());
        if (onProgress) onProgress(sim::now() - start, last);
        const sim::Frame& frame = sim::lastFrame();
        const std::string at = formatTime(frame.tick - start);
        const std::string screen = sim::screenLine(frame);
        const std::string character = describeCharacter();
        if (screen != shownScreen) printScreen(frame, out << at << "  screen:\n");
        // A key moment: the screen or the character changed.
        if (screen != shownScreen || character != shownCharacter) {
            if (onKeyMoment) onKeyMoment(frame, at + " " + explainChange(frame));
            hiddenSince = false;
            eventSince.clear();
            before = frame;
        }
        if (character != shownCharacter) out << at << "  character: " << character << '\n';
        shownScreen = screen;
        shownCharacter = character;
    }
    if (passes + failures > 0) {
        out << '\n'
            << passes << (passes == 1 ? " expectation" : " expectations") << " passed, " << failures
            << " failed\n";
    }
    return failures;
}

} // namespace harness
