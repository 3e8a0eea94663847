// The stand-in host: runs Drapelle in-process, headless, on a simulated clock
// and a simulated game, and records everything the plug-in asks of it.
//
//   sim::attach(DllMain);        // load: the plug-in registers itself
//   sim::keyDown(0x78);          // F9 down and up, through the registered handler
//   sim::keyUp(0x78);
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

// Which style calls a text had since the text before it (TextItem::styleGiven).
enum TextStyleCall : std::uint8_t {
    kStyleFont = 1,
    kStyleScale = 2,
    kStyleColour = 4,
    kStyleWrap = 8,
    kStyleCentred = 16,
    kStyleShadow = 32,
    kStyleEdge = 64
};
// The font a text gets when no font call came since the last text: the game
// forgets a text's style once it is drawn or measured. Any font but 0 and 1
// paints in a face of its own, so a missing font call shows.
constexpr std::int32_t kForgottenFont = 4;

// A text the game was asked to draw, with the style in force when it was:
// every argument of every style call, and which calls were made.
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
    std::uint8_t styleGiven = 0; // TextStyleCall bits: the style calls made for it
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
// How far the clock moves after each frame (16 ms unless set).
void setFrameTime(DWORD milliseconds);
// Irregular frames: these lengths in turn, over and over.
void setFrameTimes(std::vector<DWORD> milliseconds);

// --- The plug-in's life ------------------------------------------------------
// Calls the entry point with process attach and the module handle (a fixed
// one unless given); the plug-in registers its script and handler with that
// handle, and the script starts on its fiber at the next frame.
BOOL attach(EntryPoint entry);
BOOL attach(EntryPoint entry, HINSTANCE module);
// Calls the attached entry point with another reason (thread attach...);
// with process detach it is detach().
BOOL notifyPlugin(DWORD reason);
// Calls the entry point with process detach; the plug-in unregisters, and
// its script's fiber is deleted where it waits, as a host deletes it: nothing
// on the script's stack runs again.
void detach();
bool isScriptRegistered();
bool isHandlerRegistered();
// The functions the plug-in registered, null when none is.
ScriptMain registeredScriptFunction();
KeyboardHandler registeredKeyboardHandler();
// Every call the plug-in made of the registration functions, in order.
const std::vector<std::string>& hostEvents();
// Runs `script` on the fiber as if it had been registered (for testing pieces);
// stopScript deletes its fiber.
void startScript(ScriptMain script);
void stopScript();
// Runs `work` on a fiber of its own, where the script would run it, and
// returns once it is done (for testing pieces of the plug-in, whose natives
// are refused anywhere else). Not while a script is on the fiber.
void runOnFiber(const std::function<void()>& work);

// --- Frames --------------------------------------------------------------
// One game frame: the script runs until it waits, then the clock moves on.
// The clock also moves within a frame, as real time does while the script
// runs: 1 ms after every 8 native calls, up to half the frame; the frame
// still lasts its frame time in all.
void runFrame();
void runFrames(int count);
// Frames until at least `milliseconds` of simulated time have passed.
void runFor(DWORD milliseconds);
const Frame& lastFrame();

// --- Keyboard --------------------------------------------------------------
// Messages as the host delivers them: a press (the previous-state flag set
// when the key was already down) and a release.
// A key held down repeats its press message (previous state down) after
// `delay` ms and then every `every` ms: 500 and 33 unless set; a delay of 0
// turns repeats off.
void keyDown(DWORD key);
void keyUp(DWORD key);
void setKeyRepeat(DWORD delay, DWORD every);
void sendKeyMessage(DWORD key, BOOL isWithAlt, BOOL wasDownBefore, BOOL isUpNow);
// A key message with every argument the handler takes, as a host derives them
// from a window's key message.
struct KeyMessage {
    DWORD key = 0;
    WORD repeats = 1;
    BYTE scanCode = 0;
    BOOL isExtended = FALSE, isWithAlt = FALSE, wasDownBefore = FALSE, isUpNow = FALSE;
};
void deliverKeyMessage(const KeyMessage& message);
// On: a key message is held back and arrives during the next frame, between
// two of its native calls (after one of the first 48, picked from `seed`; at
// the frame's end if it makes fewer), as the game window's thread delivers
// it while the script runs. Off (the default, and at reset): at once.
void setKeysMidFrame(bool on, std::uint32_t seed = 1);
// The message arrives the next time the plug-in reads the clock, just before
// the clock answers: between a key test's reading of a record and what it
// does with what it read, as a message from another thread can.
void deliverKeyMessageOnClockRead(const KeyMessage& message);
// "key 0x78 repeats 1 scan 0x43 extended 0 alt 0 previous 1 transition 1"
std::string describeKeyMessage(const KeyMessage& message);

// --- Protocol ----------------------------------------------------------------
// Misuse of the host's interface, each "frame N: " (or "before the first
// frame: ") and what was wrong: a native called off the script's fiber (from
// DllMain or the keyboard handler), a registration with another module than
// DllMain's, an unknown hash, a nested call, a wrong argument count, a value
// slot that is not zero-extended, a null or misaligned address, a wait of
// more than 0 ms, a frame of 5000 native calls without a wait (the stand-in
// then takes the frame back, as the game could not), a player's ped handle that is not the latest
// (see Game::freshPedEachCall).
const std::vector<std::string>& protocolErrors();
void reportProtocolError(std::string message);
const char* nativeName(UINT64 hash);
// "0x00000000000000FF": a slot or hash as the messages and records show it.
std::string hex(UINT64 value);
// "setTextFont(0)", "addPlainText(\"Face\")": one call in words.
std::string describeCall(const NativeCall& call);
std::vector<std::string> describeCalls(const Frame& frame);

// Off: natives still answer, but no call and no draw item is recorded, so a
// frame costs the plug-in's work and the bare dispatch (for benchmarks).
void setRecording(bool on);

// Calls of operator new since the program started: the stand-in replaces the
// global allocation functions to count them (not in the Windows host library).
long long heapAllocations();
// False under ThreadSanitizer, whose runtime keeps the allocation functions to
// itself: there heapAllocations stays 0.
bool countsHeapAllocations();

// Back to a fresh host: clock, game, logs, registrations.
void reset();

} // namespace sim
