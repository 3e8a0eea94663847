// The programs' names of keys: Drapelle's own, as the player's documents, the
// previews' help and the scenario language list them (with the plug-in's key
// codes), and the other keys tests and scenarios use to show that Drapelle
// leaves them alone. A test checks README.md and the player's README.txt
// against these names. The plug-in's keyTable is another thing: the state of
// each key. Also what both previews do with the window's keys and frames.
#pragma once

#include <string>

#include "host/platform.h"
#include "simhost/simhost.h"

namespace harness {

struct NamedKey {
    DWORD code;
    const char* name;         // as players read it: "numpad 8"
    const char* scenarioName; // as a scenario writes it: "Num8"
    const char* does;         // what Drapelle does with it; empty for other keys
};

// Drapelle's keys, in the order the documents list them.
extern const NamedKey kDrapelleKeys[6];
// Keys Drapelle does not use that a player may press by mistake: the rest of
// the keypad, what it sends with NumLock off, Enter and Escape.
extern const NamedKey kOtherKeys[19];

// What the keypad's 1-9, 0 and point send with NumLock off: End, Down, ... Delete.
constexpr DWORD kKeypadWithNumLockOff[] = {0x23, 0x28, 0x22, 0x25, 0x0C, 0x27,
                                           0x24, 0x26, 0x21, 0x2D, 0x2E};
// What the previews say when such a key arrives, on screen and in the log;
// the note goes, and the log says so, as soon as NumLock is on again.
constexpr const char* kNumLockOffNote = "NumLock is off: the keypad sends arrow keys";
// NumLock's state as the window system has it, at every frame.
void followNumLockState(bool isOn, bool& noteShown);
// The keys a preview passes on to the plug-in, for its --help.
std::string previewKeysHelp();
// A key message from the window: logged, then handed to the plug-in. A key
// going down with NumLock off brings the note; a keypad digit, or NumLock
// itself, takes it away.
void passKeyMessage(const sim::KeyMessage& message, bool& noteShown);
// One frame at the window's size; the screen is logged when it changed.
void runPreviewFrame(int width, int height);

// The key's entry, or null for a code neither table has.
const NamedKey* findKey(DWORD code);
const NamedKey* findKey(const std::string& scenarioName);
// "numpad 4 (0x64)", or "key 0x8A" for a code neither table has.
std::string describeKey(DWORD code);
// A key message as the previews log it, with the key's name when it has one:
// "key 0x62 repeats 1 scan 0x50 ... transition 0 (numpad 2)".
std::string keyMessageLine(const sim::KeyMessage& message);

} // namespace harness
