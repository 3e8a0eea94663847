// The plug-in's life as the host drives it, the frame loop, the simulated
// keyboard and the clock as it moves within a frame.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>

#include "simhost/game.h"
#include "simhost/host_parts.h"
#include "simhost/script_fiber.h"
#ifdef DRAPELLE_HAVE_FONTS
#include "simhost/text_layout.h"
#endif

namespace sim {
namespace {

struct HeldKey {
    DWORD key;
    DWORD lastPress;  // when it last sent a press
    bool repeatedYet; // whether it has repeated since going down
};
struct DueKey {
    KeyMessage message;
    int afterCalls; // delivered after this many native calls of the next frame
};
// Everything reset() puts back as a fresh host has it.
struct Host {
    EntryPoint pluginEntry = nullptr;          // the attached plug-in's DllMain
    HINSTANCE pluginModule = nullptr;          // the module handle it was given
    int framesBegun = 0;                       // frames since the host was reset
    DWORD frameTime = 16;                      // simulated ms per game frame
    std::vector<DWORD> frameTimes;             // when set, frame lengths taken in turn instead
    std::size_t nextFrameTime = 0;             // the next of frameTimes to take
    DWORD wakeStamp = 0, wakeAfter = 0;        // a wait of more than 0 ms keeps the script parked
    DWORD frameStart = 0, frameLength = 16;    // when this frame began, and how long it lasts
    int callsThisFrame = 0;                    // natives the plug-in has called in this frame
    std::vector<HeldKey> heldKeys;             // the keys down now, codes below 256 only
    DWORD repeatDelay = 500, repeatEvery = 33; // Windows' auto-repeat; a delay of 0 turns it off
    std::vector<DueKey> dueKeys;               // in the order they were sent
    bool keysMidFrame = false;                 // whether messages wait for a frame's native calls
    std::uint32_t midFrameSeed = 1;            // picks after which call each of them arrives
    const std::function<void()>* fiberWork = nullptr; // what runOnFiber's fiber runs next
    bool workFiber = false; // whether the fiber is runOnFiber's, not a script's
    Frame finishedFrame;    // the last complete frame
    bool recording = true;  // whether calls and draw items go into the frame
};
Host host;

bool inEntryPoint = false;              // whether the plug-in's DllMain is running now
thread_local bool inKeyHandler = false; // whether this thread is inside its handler
// A message that arrives when the plug-in next reads the clock; atomic, as
// the keyboard handler reads the clock on whatever thread delivers a key.
std::atomic<bool> keyOnClockRead{false};
KeyMessage clockReadKey; // that message, set before the flag

constexpr int kCallsPerMs = 8;         // native calls per ms the clock moves in a frame, up to half
constexpr int kEveryCall = 0x7FFFFFFF; // delivers every message still due
// Drapelle makes about 150 a frame; a script making this many without a wait
// never gives the frame back, and a real game freezes.
constexpr int kMostCallsAFrame = 5000;

void callHandler(const KeyMessage& message) {
    const KeyboardHandler handler = registeredKeyboardHandler();
    if (!handler) return;
    inKeyHandler = true;
    handler(message.key, message.repeats, message.scanCode, message.isExtended, message.isWithAlt,
            message.wasDownBefore, message.isUpNow);
    inKeyHandler = false;
}

void deliverDueKeys(int calls) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < host.dueKeys.size(); ++i) {
        if (host.dueKeys[i].afterCalls <= calls) {
            callHandler(host.dueKeys[i].message);
        } else {
            host.dueKeys[kept++] = host.dueKeys[i];
        }
    }
    host.dueKeys.resize(kept);
}

void sendRepeats() {
    if (host.repeatDelay == 0) return;
    for (HeldKey& held : host.heldKeys) {
        const DWORD gap = held.repeatedYet ? host.repeatEvery : host.repeatDelay;
        if (static_cast<DWORD>(now() - held.lastPress) < gap) continue;
        held.lastPress = now();
        held.repeatedYet = true;
        sendKeyMessage(held.key, FALSE, TRUE, FALSE);
    }
}

DWORD takeFrameLength() {
    if (host.frameTimes.empty()) return host.frameTime;
    const DWORD length = host.frameTimes[host.nextFrameTime];
    host.nextFrameTime = (host.nextFrameTime + 1) % host.frameTimes.size();
    return length;
}

bool isScriptAsleep() {
    return host.wakeAfter > 0 && static_cast<DWORD>(now() - host.wakeStamp) < host.wakeAfter;
}

std::vector<HeldKey>::iterator findHeld(DWORD key) {
    return std::find_if(host.heldKeys.begin(), host.heldKeys.end(),
                        [key](const HeldKey& held) { return held.key == key; });
}

BOOL callEntry(DWORD reason) {
    inEntryPoint = true;
    const BOOL result = host.pluginEntry(host.pluginModule, reason, nullptr);
    inEntryPoint = false;
    return result;
}

} // namespace

int frameNumber() { return host.framesBegun; }
HINSTANCE attachedModule() { return host.pluginEntry ? host.pluginModule : nullptr; }
bool isInEntryPoint() { return inEntryPoint; }
bool isInKeyHandler() { return inKeyHandler; }

void noteNativeCall() {
    ++host.callsThisFrame;
    if (host.callsThisFrame % kCallsPerMs == 0 &&
        static_cast<DWORD>(now() - host.frameStart) < host.frameLength / 2)
        advance(1);
    if (!host.dueKeys.empty()) deliverDueKeys(host.callsThisFrame);
    if (host.callsThisFrame < kMostCallsAFrame) return;
    reportProtocolError(std::to_string(host.callsThisFrame) +
                        " native calls without scriptWait: the script never gives the frame back "
                        "and the game freezes");
    yieldFiber();
}

void parkScript(DWORD stamp, DWORD milliseconds) {
    host.wakeStamp = stamp;
    host.wakeAfter = milliseconds;
}

// --- Life of the plug-in -------------------------------------------------------

BOOL attach(EntryPoint entry, HINSTANCE module) {
    host.pluginEntry = entry;
    host.pluginModule = module;
    return callEntry(DLL_PROCESS_ATTACH);
}

BOOL notifyPlugin(DWORD reason) {
    if (!host.pluginEntry) return FALSE;
    const BOOL result = callEntry(reason);
    // The loader detaches a library once; after that it is gone.
    if (reason == DLL_PROCESS_DETACH) host.pluginEntry = nullptr;
    return result;
}

void detach() { notifyPlugin(DLL_PROCESS_DETACH); }

void startScript(ScriptMain script) {
    host.workFiber = false;
    createFiber(script);
}
void stopScript() {
    host.workFiber = false;
    destroyFiber();
}

void runOnFiber(const std::function<void()>& work) {
    if (hasFiber() && !host.workFiber) {
        reportProtocolError("runOnFiber while a script runs on the fiber");
        return;
    }
    if (!hasFiber()) {
        createFiber([] {
            for (;;) {
                if (host.fiberWork) (*host.fiberWork)();
                host.fiberWork = nullptr;
                yieldFiber();
            }
        });
        host.workFiber = true;
    }
    // A piece of work is not a frame: the clock stands still for it.
    host.frameStart = now();
    host.frameLength = 0;
    host.callsThisFrame = 0;
    host.fiberWork = &work;
    resumeFiber();
}

// --- Frames --------------------------------------------------------------------

void runFrame() {
    ++host.framesBegun;
    sendRepeats();
    beginFrame();
    host.frameStart = now();
    host.frameLength = takeFrameLength();
    host.callsThisFrame = 0;
    if (hasFiber() && !isScriptAsleep()) resumeFiber();
    deliverDueKeys(kEveryCall); // the frame made fewer calls than they waited for
    // Swapped, not copied: both frames keep their storage from frame to frame.
    std::swap(host.finishedFrame, frameInProgress());
    advance(host.frameLength -
            std::min(host.frameLength, static_cast<DWORD>(now() - host.frameStart)));
}

void runFrames(int count) {
    for (int i = 0; i < count; ++i) runFrame();
}

void runFor(DWORD milliseconds) {
    const DWORD start = now();
    while (static_cast<DWORD>(now() - start) < milliseconds) runFrame();
}

void setRecording(bool on) { host.recording = on; }
bool isRecording() { return host.recording; }

const Frame& lastFrame() { return host.finishedFrame; }
void setFrameTime(DWORD milliseconds) {
    host.frameTime = milliseconds;
    host.frameTimes.clear();
}
void setFrameTimes(std::vector<DWORD> milliseconds) {
    host.frameTimes = std::move(milliseconds);
    host.nextFrameTime = 0;
}

// --- Keyboard ------------------------------------------------------------------

void sendKeyMessage(DWORD key, BOOL isWithAlt, BOOL wasDownBefore, BOOL isUpNow) {
    deliverKeyMessage({key, 1, 0, FALSE, isWithAlt, wasDownBefore, isUpNow});
}

void deliverKeyMessage(const KeyMessage& message) {
    if (!host.keysMidFrame) return callHandler(message);
    // A menu frame makes over a hundred calls, an idle one four.
    host.midFrameSeed = host.midFrameSeed * 1664525u + 1013904223u;
    host.dueKeys.push_back({message, 1 + static_cast<int>(host.midFrameSeed >> 16) % 48});
}

void deliverKeyMessageOnClockRead(const KeyMessage& message) {
    clockReadKey = message;
    keyOnClockRead = true;
}

// Taken before the handler runs, which reads the clock itself.
void noteClockRead() {
    if (keyOnClockRead.load(std::memory_order_relaxed) && keyOnClockRead.exchange(false))
        callHandler(clockReadKey);
}

void setKeysMidFrame(bool on, std::uint32_t seed) {
    host.keysMidFrame = on;
    host.midFrameSeed = seed;
    if (!on) deliverDueKeys(kEveryCall);
}

std::string describeKeyMessage(const KeyMessage& message) {
    char text[128];
    std::snprintf(text, sizeof text,
                  "key 0x%02X repeats %u scan 0x%02X extended %d alt %d previous %d transition %d",
                  static_cast<unsigned>(message.key), static_cast<unsigned>(message.repeats),
                  static_cast<unsigned>(message.scanCode), message.isExtended, message.isWithAlt,
                  message.wasDownBefore, message.isUpNow);
    return text;
}

void keyDown(DWORD key) {
    const bool wasDown = findHeld(key) != host.heldKeys.end();
    if (key < 256 && !wasDown) host.heldKeys.push_back({key, now(), false});
    sendKeyMessage(key, FALSE, wasDown, FALSE);
}

void setKeyRepeat(DWORD delay, DWORD every) {
    host.repeatDelay = delay;
    host.repeatEvery = every;
}

void keyUp(DWORD key) {
    if (const auto held = findHeld(key); held != host.heldKeys.end()) host.heldKeys.erase(held);
    sendKeyMessage(key, FALSE, TRUE, TRUE);
}

// --- Back to a fresh host -----------------------------------------------------

void reset() {
    stopScript();
    resetExports();
    host = Host{};
    host.dueKeys.reserve(64);
    keyOnClockRead = false;
    // Room for the largest frame up front, so that a long run's heap stays flat.
    for (Frame* frame : {&host.finishedFrame, &frameInProgress()}) {
        frame->calls.reserve(512);
        frame->texts.reserve(32);
        frame->rects.reserve(32);
    }
    setTick(1000000);
    resetGame();
    beginFrame();
#ifdef DRAPELLE_HAVE_FONTS
    std::string fontError;
    loadFonts(fontError); // without fonts, line counts fall back to an estimate
#endif
}

} // namespace sim
