// The stand-in host: runs Drapelle in-process, headless, on a simulated clock
// and a simulated game, and records everything the plug-in asks of it.
//
//   sim::attach(DllMain);        // load: the plug-in registers itself
//   sim::keyDown(kMenuKey);        // the menu key down and up, through the registered handler
//   sim::keyUp(kMenuKey);
//   sim::runFrames(10);          // let the script run ten game frames
//   sim::lastFrame().texts ...   // what was drawn in the last one
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/script_host.h"

namespace sim {

using EntryPoint = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

struct Rgba {
    std::int32_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};

constexpr int kMaxNativeArgs = 8;

struct NativeCall {
    UINT64 hash = 0;
    int argCount = 0;
    std::array<UINT64, kMaxNativeArgs> args{};
    std::string text; // a text argument as it read during the call
};

// TextItem::styleGiven's bits: the style calls made since the text before.
enum TextStyleCall : std::uint8_t {
    kStyleFont = 1,
    kStyleScale = 2,
    kStyleColour = 4,
    kStyleWrap = 8,
    kStyleCentred = 16,
    kStyleShadow = 32,
    kStyleEdge = 64
};
// The font of a text with no font call since the last one (the game forgets
// a text's style once drawn or measured): a face of its own, so it shows.
constexpr std::int32_t kForgottenFont = 4;

// A text the game was asked to draw, with every style call's arguments.
struct TextItem {
    std::string text;
    std::int32_t font = 0;
    float firstScale = 0.0f, scale = 0.0f; // the scale call's two arguments
    Rgba colour;
    float wrapLeft = 0.0f, wrapRight = 1.0f;
    bool centred = false;
    std::array<std::int32_t, 5> shadow{}; // distance, r, g, b, a
    std::array<std::int32_t, 5> edge{};   // kind, r, g, b, a
    float x = 0.0f, y = 0.0f;
    std::int32_t lines = 0;      // as the line-count native would report it
    std::uint8_t styleGiven = 0; // TextStyleCall bits
};

struct RectItem {
    float centreX = 0.0f, centreY = 0.0f, width = 0.0f, height = 0.0f;
    Rgba colour;
};

struct Frame {
    DWORD tick = 0;
    int width = 0, height = 0;
    std::vector<NativeCall> calls;
    std::vector<TextItem> texts;
    std::vector<RectItem> rects;
};

// --- Clock ---------------------------------------------------------------
DWORD now();
void setTick(DWORD tick);
void advance(DWORD milliseconds);
void setFrameTime(DWORD milliseconds); // 16 ms unless set
// Irregular frames: these lengths in turn, over and over.
void setFrameTimes(std::vector<DWORD> milliseconds);

// --- The plug-in's life ------------------------------------------------------
// DllMain with process attach and the module handle (a fixed one unless
// given); the registered script starts on its fiber at the next frame.
BOOL attach(EntryPoint entry, HINSTANCE module = reinterpret_cast<HINSTANCE>(0x180000000ull));
// DllMain with another reason; process detach is detach().
BOOL notifyPlugin(DWORD reason);
// DllMain with process detach: the script's fiber is deleted where it waits,
// as a host deletes it, so nothing on its stack runs again.
void detach();
// The functions the plug-in registered, null when none is.
ScriptMain registeredScriptFunction();
KeyboardHandler registeredKeyboardHandler();
// Every call the plug-in made of the registration functions, in order.
const std::vector<std::string>& hostEvents();
// Runs `script` on the fiber as if registered; stopScript deletes its fiber.
void startScript(ScriptMain script);
void stopScript();
// Runs `work` where the script would (natives are refused anywhere else) and
// returns once it is done. Not while a script is on the fiber.
void runOnFiber(const std::function<void()>& work);

// --- Frames --------------------------------------------------------------
// One game frame: the script runs until it waits. The clock moves 1 ms after
// every 8 native calls, up to half the frame, as real time does, and the
// frame lasts its frame time in all.
void runFrame();
void runFrames(int count);
// Frames until at least `milliseconds` of simulated time have passed.
void runFor(DWORD milliseconds);
const Frame& lastFrame();

// --- Keyboard --------------------------------------------------------------
// A press (previous state set when the key was down already) and a release.
// A held key repeats its press after `delay` ms, then every `every` ms (500
// and 33 unless set; a delay of 0 turns repeats off).
void keyDown(DWORD key);
void keyUp(DWORD key);
void setKeyRepeat(DWORD delay, DWORD every);
void sendKeyMessage(DWORD key, BOOL isWithAlt, BOOL wasDownBefore, BOOL isUpNow);
// Every argument the handler takes, as a host derives them from a window's.
struct KeyMessage {
    DWORD key = 0;
    WORD repeats = 1;
    BYTE scanCode = 0;
    BOOL isExtended = FALSE, isWithAlt = FALSE, wasDownBefore = FALSE, isUpNow = FALSE;
};
void deliverKeyMessage(const KeyMessage& message);
// On: a key message arrives during the next frame, after one of its first 48
// native calls (picked from `seed`; at its end if fewer), as the game window's
// thread delivers it while the script runs. Off (at reset): at once.
void setKeysMidFrame(bool on, std::uint32_t seed = 1);
// The message arrives when the plug-in next reads the clock, before it
// answers: inside a key test, as a message from another thread can.
void deliverKeyMessageOnClockRead(const KeyMessage& message);
// "key 0xKK repeats R scan 0xSS extended E alt A previous P transition T", the
// key code and scan code in hexadecimal, the others in decimal.
std::string describeKeyMessage(const KeyMessage& message);

// --- Protocol ----------------------------------------------------------------
// Misuse of the host's interface, each "frame N: " (or "before the first
// frame: ") and what was wrong: a native off the script's fiber, a
// registration for another module than DllMain's, an unknown hash, a nested
// call, a wrong argument count, a value slot not zero-extended, a null or
// misaligned address, a wait of more than 0 ms, 5000 natives in a frame
// without a wait, a stale ped handle (Game::freshPedEachCall).
const std::vector<std::string>& protocolErrors();
void reportProtocolError(std::string message);
const char* nativeName(UINT64 hash);
// "0x00000000000000FF": a slot or hash as the messages and records show it.
std::string hex(UINT64 value);
// "setTextFont(0)", "addPlainText(\"Face\")": one call in words.
std::string describeCall(const NativeCall& call);
std::vector<std::string> describeCalls(const Frame& frame);

// Off: natives answer but nothing is recorded, so a frame costs the plug-in's
// work and the bare dispatch (for benchmarks).
void setRecording(bool on);

// Calls of operator new since the program started (not in the Windows host
// library); false under ThreadSanitizer, whose runtime keeps operator new.
long long heapAllocations();
bool countsHeapAllocations();

// Back to a fresh host: clock, game, logs, registrations.
void reset();

} // namespace sim
