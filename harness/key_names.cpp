#include "harness/key_names.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <iterator>

#include "input/key_table.h"
#include "simhost/game.h"
#include "simhost/screen.h"

namespace harness {

// Drapelle's keys with the plug-in's own codes, the one source of them; a
// test (KeyCodes.AreWindowsVirtualKeyCodes) pins those to the codes a
// Windows keyboard sends. The other keys are Windows' codes as they are.
const NamedKey kDrapelleKeys[6] = {
    {kMenuKey, "F9", "F9", "tap: open the menu; in a menu, go back one step"},
    {kKeyNumpad8, "numpad 8", "Num8", "move up (wrapping)"},
    {kKeyNumpad2, "numpad 2", "Num2", "move down (wrapping)"},
    {kKeyNumpad5, "numpad 5", "Num5", "select the highlighted row"},
    {kKeyNumpad0, "numpad 0", "Num0", "go back one step"},
    {kKeyBackspace, "Backspace", "Backspace", "go back one step"}};

const NamedKey kOtherKeys[19] = {
    {0x61, "numpad 1", "Num1", ""},     {0x63, "numpad 3", "Num3", ""},
    {0x64, "numpad 4", "Num4", ""},     {0x66, "numpad 6", "Num6", ""},
    {0x67, "numpad 7", "Num7", ""},     {0x69, "numpad 9", "Num9", ""},
    {0x0D, "Enter", "Enter", ""},       {0x1B, "Escape", "Escape", ""},
    {0x25, "Left", "Left", ""},         {0x26, "Up", "Up", ""},
    {0x27, "Right", "Right", ""},       {0x28, "Down", "Down", ""},
    {0x0C, "Clear", "Clear", ""},       {0x2D, "Insert", "Insert", ""},
    {0x2E, "Delete", "Delete", ""},     {0x24, "Home", "Home", ""},
    {0x23, "End", "End", ""},           {0x21, "Page Up", "PageUp", ""},
    {0x22, "Page Down", "PageDown", ""}};

namespace {

template <typename Match> const NamedKey* findIn(Match matches) {
    for (const NamedKey& key : kDrapelleKeys)
        if (matches(key)) return &key;
    for (const NamedKey& key : kOtherKeys)
        if (matches(key)) return &key;
    return nullptr;
}

} // namespace

const NamedKey* findKey(DWORD code) {
    return findIn([code](const NamedKey& key) { return key.code == code; });
}

const NamedKey* findKey(const std::string& scenarioName) {
    return findIn([&](const NamedKey& key) { return scenarioName == key.scenarioName; });
}

void followNumLockState(bool isOn, bool& noteShown) {
    if (!isOn || !noteShown) return;
    noteShown = false;
    std::cout << "NumLock is on: the keypad sends digits" << std::endl;
}

std::string previewKeysHelp() {
    std::string help = "The keyboard is the player's, NumLock on (with it off the keypad sends "
                       "arrow\nkeys, which Drapelle does not use; the preview says so):\n";
    for (const NamedKey& key : kDrapelleKeys) {
        std::string name = key.name;
        name.resize(12, ' ');
        help += "  " + name + key.does + "\n";
    }
    return help;
}

void passKeyMessage(const sim::KeyMessage& message, bool& noteShown) {
    std::cout << keyMessageLine(message) << std::endl;
    const DWORD code = message.key;
    if (!message.isUpNow && !message.wasDownBefore) {
        // A keypad digit, or NumLock pressed while the note says it is off: it is on.
        if ((code >= 0x60 && code <= 0x69) || code == 0x90) followNumLockState(true, noteShown);
        // The keypad's own keys come without the extended flag of the keys they mimic.
        if (std::count(std::begin(kKeypadWithNumLockOff), std::end(kKeypadWithNumLockOff), code) &&
            !message.isExtended && !noteShown) {
            noteShown = true;
            std::cout << kNumLockOffNote << std::endl;
        }
    }
    sim::deliverKeyMessage(message);
}

void runPreviewFrame(int width, int height) {
    static std::string shown = "\n"; // at first no screen was logged, so the first is
    sim::game().screenWidth = width;
    sim::game().screenHeight = height;
    sim::runFrame();
    const std::string line = sim::screenLine(sim::lastFrame());
    if (line == shown) return;
    std::cout << sim::screenReport(sim::lastFrame()) << std::endl;
    shown = line;
}

std::string describeKey(DWORD code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(code));
    const NamedKey* key = findKey(code);
    return key ? std::string(key->name) + " (" + hex + ")" : std::string("key ") + hex;
}

std::string keyMessageLine(const sim::KeyMessage& message) {
    const NamedKey* key = findKey(message.key);
    return sim::describeKeyMessage(message) + (key ? std::string(" (") + key->name + ")" : "");
}

} // namespace harness
