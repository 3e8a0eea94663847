// Scenarios: key events and game changes over simulated time, read from text,
// played against the plug-in with a readable transcript.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "host/platform.h"
#include "simhost/simhost.h"

namespace harness {

enum class EventKind {
    Press,
    Release,
    Tap,
    Dead,
    Arrested,
    MidFrame, // key messages from here arrive between a frame's native calls, or not
    Screen,
    Select, // a row of the menu shown, by its caption or its number from 1: moves, then numpad 5
    Note,
    Expect, // of the screen (a = 1) or of the character
    End
};

struct ScenarioEvent {
    DWORD at = 0; // ms from the start
    EventKind kind = EventKind::Note;
    DWORD key = 0;
    std::int32_t a = 0, b = 0; // on/off, a screen size, or a row's number (0: by caption)
    std::string text;          // a note, or the event as written
    int line = 0;              // where it is written in the scenario
};

struct Scenario {
    std::string name;                  // the file, as given, or "built-in"
    std::vector<ScenarioEvent> events; // in time order
};

// "F9 Num8 ...": every key name a scenario takes, Drapelle's keys first.
std::string scenarioKeyNames();

// The text with every byte that is not printable ASCII written as \xNN, so
// that a message quoting a bad file cannot garble the terminal.
std::string printable(const std::string& text);

// Parses a scenario; on the first bad line returns false with
// "<name>:<line>: <what is wrong>" in `error`, and with "<name> has no events"
// when it holds nothing but blank lines and comments.
bool parseScenario(std::istream& in, const std::string& name, Scenario& scenario,
                   std::string& error);

// Reads the scenario file at `path`, or the built-in one when `path` is empty;
// a folder, an unreadable file or one without events is an error.
bool loadScenario(const std::string& path, Scenario& scenario, std::string& error);

// The scenario the demo plays: every row of both menus, a wrap of a drawable
// and of a texture, the default look, and out again.
const char* builtInScenario();

// Plays it against the attached plug-in, writing the transcript to `out`:
// each event, and the screen and the character whenever they change. An
// expectation is checked against the last frame drawn before its time; the
// result is the number of expectations that failed.
// `onKeyMoment`, when given, sees every frame whose screen or character differs from the
// one before, with a caption: the time and what changed it (the last event
// since the moment before, the status line's time running out, a key held).
// `onProgress`, when given, sees the simulated time played after every frame,
// and the scenario's length; `onFrame` sees every frame played.
using KeyMoment = std::function<void(const sim::Frame&, const std::string& caption)>;
using Progress = std::function<void(DWORD played, DWORD length)>;
using FrameSeen = std::function<void(const sim::Frame&)>;
int playScenario(const Scenario& scenario, std::ostream& out, const KeyMoment& onKeyMoment = {},
                 const Progress& onProgress = {}, const FrameSeen& onFrame = {});

// The time of its last event, in ms from the start.
DWORD scenarioLength(const Scenario& scenario);

} // namespace harness
