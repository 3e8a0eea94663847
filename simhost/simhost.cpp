// The stand-in host: its eight exports and the native-call protocol, refusing
// each misuse a real host would not survive, with the native, the rule and
// the frame; the plug-in's life as the host drives it; the frame loop; the
// simulated keyboard; and the clock as it moves within a frame.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>

#include "simhost/game.h"
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
    EntryPoint pluginEntry = nullptr;            // the attached plug-in's DllMain
    HINSTANCE pluginModule = nullptr;            // the module handle it was given
    ScriptMain registeredScript = nullptr;       // what scriptRegister received
    HINSTANCE registeredModule = nullptr;        // and for which module
    KeyboardHandler registeredHandler = nullptr; // what keyboardHandlerRegister received
    std::vector<std::string> events;             // registration calls, in order
    std::vector<std::string> errors;             // protocol misuse seen so far
    bool callOpen = false;                       // between nativeInit and nativeCall
    NativeCall openCall;                         // the call being assembled
    bool tooManyArgs = false;                    // more than kMaxNativeArgs pushed
    bool refusedCall = false;      // its nativeInit was refused (said once, not per step)
    int framesBegun = 0;           // frames since the host was reset; 0 while the plug-in loads
    DWORD frameTime = 16;          // simulated ms per game frame
    std::vector<DWORD> frameTimes; // when set, frame lengths taken in turn instead
    std::size_t nextFrameTime = 0; // the next of frameTimes to take
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

UINT64 resultSlot = 0;                  // what nativeCall hands back the address of
std::uint32_t junkSeed = 0;             // varies the junk left in result slots
bool inEntryPoint = false;              // whether the plug-in's DllMain is running now
thread_local bool inKeyHandler = false; // whether this thread is inside its handler
// The simulated GetTickCount, and whether a message arrives when the plug-in
// next reads it. Atomic: the keyboard handler reads the clock on whatever
// thread delivers a key while the frame loop moves it on.
std::atomic<DWORD> simTick{1000000};
std::atomic<bool> keyOnClockRead{false};
KeyMessage clockReadKey; // that message, set before the flag

constexpr int kCallsPerMs = 8;         // native calls per ms the clock moves in a frame, up to half
constexpr int kEveryCall = 0x7FFFFFFF; // delivers every message still due
// Drapelle makes about 150 a frame; a script making this many without a wait
// never gives the frame back, and a real game freezes.
constexpr int kMostCallsAFrame = 5000;

// --- The native-call protocol ---------------------------------------------------

// What a real host leaves in a slot it has not written: anything.
UINT64 junk() {
    junkSeed = junkSeed * 1664525u + 1013904223u;
    return static_cast<UINT64>(junkSeed | 1u) << 32 | junkSeed;
}

// An int, bool or float travels in the low half of a slot whose high half is
// zero; a bool is 0 or 1. A text is a real address, an int pointer a real and
// aligned one: the game reads and writes through them. A text lives only
// until the call returns: the log, when there is one, keeps a copy.
bool checkArgumentSlots(const NativeInfo& info, const NativeCall& call, NativeCall* logged) {
    bool usable = true;
    for (int i = 0; i < call.argCount; ++i) {
        const UINT64 slot = call.args[static_cast<std::size_t>(i)];
        const char kind = info.args[i];
        const auto refuse = [&](const std::string& what) {
            reportProtocolError(std::string(info.name) + ": argument " + std::to_string(i + 1) +
                                " is " + what);
        };
        const bool valueKind = kind == 'i' || kind == 'b' || kind == 'f';
        if ((valueKind && slot >> 32) || (kind == 'b' && slot > 1)) refuse(hex(slot));
        if ((kind == 's' || kind == 'p') && slot == 0) {
            refuse("a null address, which the game would read or write");
            usable = false;
        } else if (kind == 'p' && slot % alignof(std::int32_t) != 0) {
            refuse(hex(slot) + ", not the address of an int");
            usable = false;
        } else if (kind == 's' && logged) {
            logged->text = reinterpret_cast<const char*>(static_cast<std::uintptr_t>(slot));
        }
    }
    return usable;
}

// A native from DllMain (under the loader lock) or the keyboard handler (on
// the window's thread) would crash a real game or corrupt the script's call;
// a push or call needs its nativeInit first.
bool isCallableHere(const char* step, UINT64 hash) {
    const bool init = std::strcmp(step, "nativeInit") == 0;
    if (host.refusedCall && !init) return false;
    const char* where = inEntryPoint   ? "from DllMain"
                        : inKeyHandler ? "from the keyboard handler"
                        : !isOnFiber() ? "outside the script's fiber"
                                       : nullptr;
    if (where) {
        reportProtocolError(std::string(step) + " of " + nativeName(hash) + " " + where +
                            ": natives run only on the script's fiber");
        host.refusedCall = init;
        return false;
    }
    if (!init && !host.callOpen) reportProtocolError(std::string(step) + " without nativeInit");
    return init || host.callOpen;
}

// The module a registration must name: the handle DllMain received, or on
// Windows, for a library the loader attached, the one the script lives in.
HINSTANCE expectedModule([[maybe_unused]] ScriptMain script) {
    if (host.pluginEntry && host.pluginModule) return host.pluginModule;
#ifdef _WIN32
    HMODULE owner = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(script), &owner))
        return owner;
#endif
    return nullptr;
}

// A registration naming no module, or another than `expected`.
void checkModule(const char* call, HINSTANCE module, HINSTANCE expected, const char* which) {
    if (module == expected && module) return;
    const auto text = [](HINSTANCE handle) {
        return hex(reinterpret_cast<std::uintptr_t>(handle));
    };
    reportProtocolError(std::string(call) + ": module " + text(module) + " is not " + which + " (" +
                        text(expected) + ")");
}

// --- Frames and keys ------------------------------------------------------------

void callHandler(const KeyMessage& message) {
    if (!host.registeredHandler) return;
    inKeyHandler = true;
    host.registeredHandler(message.key, message.repeats, message.scanCode, message.isExtended,
                           message.isWithAlt, message.wasDownBefore, message.isUpNow);
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

// After each native: the clock moves on, and a key message due now arrives.
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

} // namespace

// --- Clock and protocol ---------------------------------------------------------

DWORD now() { return simTick.load(std::memory_order_relaxed); }
void setTick(DWORD tick) { simTick.store(tick, std::memory_order_relaxed); }
void advance(DWORD milliseconds) { simTick.fetch_add(milliseconds, std::memory_order_relaxed); }

ScriptMain registeredScriptFunction() { return host.registeredScript; }
KeyboardHandler registeredKeyboardHandler() { return host.registeredHandler; }
const std::vector<std::string>& hostEvents() { return host.events; }
const std::vector<std::string>& protocolErrors() { return host.errors; }

void reportProtocolError(std::string message) {
    host.errors.push_back((host.framesBegun == 0
                               ? std::string("before the first frame: ")
                               : "frame " + std::to_string(host.framesBegun) + ": ") +
                          message);
}

// --- Life of the plug-in -------------------------------------------------------

BOOL attach(EntryPoint entry, HINSTANCE module) {
    host.pluginEntry = entry;
    host.pluginModule = module;
    return notifyPlugin(DLL_PROCESS_ATTACH);
}

BOOL notifyPlugin(DWORD reason) {
    if (!host.pluginEntry) return FALSE;
    inEntryPoint = true;
    const BOOL result = host.pluginEntry(host.pluginModule, reason, nullptr);
    inEntryPoint = false;
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
    // A menu frame makes over a hundred calls, an idle one four. A window's
    // messages come in the order they were sent: none before an earlier one.
    host.midFrameSeed = host.midFrameSeed * 1664525u + 1013904223u;
    int afterCalls = 1 + static_cast<int>(host.midFrameSeed >> 16) % 48;
    if (!host.dueKeys.empty()) afterCalls = std::max(afterCalls, host.dueKeys.back().afterCalls);
    host.dueKeys.push_back({message, afterCalls});
}

void deliverKeyMessageOnClockRead(const KeyMessage& message) {
    clockReadKey = message;
    keyOnClockRead = true;
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

// The plug-in reads the clock: a message set to arrive then arrives first,
// taken before the handler runs, which reads the clock itself.
#ifdef _WIN32
extern "C" DWORD WINAPI simulatedTickCount(void) { // the runner points the plug-in's import here
#else
extern "C" DWORD GetTickCount(void) {
#endif
    if (sim::keyOnClockRead.load(std::memory_order_relaxed) && sim::keyOnClockRead.exchange(false))
        sim::callHandler(sim::clockReadKey);
    return sim::now();
}

// --- The eight exports -------------------------------------------------------

using namespace sim;

void scriptRegister(HINSTANCE module, ScriptMain scriptMain) {
    host.events.push_back("scriptRegister");
    checkModule("scriptRegister", module, expectedModule(scriptMain),
                "the handle DllMain received");
    if (!scriptMain) reportProtocolError("scriptRegister: a null script");
    host.registeredModule = module;
    host.registeredScript = scriptMain;
    if (scriptMain) createFiber(scriptMain);
}

void scriptUnregister(HINSTANCE module) {
    host.events.push_back("scriptUnregister");
    checkModule("scriptUnregister", module, host.registeredModule, "the one registered");
    host.registeredScript = nullptr;
    host.registeredModule = nullptr;
    // The script stops here, parked in its wait: its fiber is deleted, and
    // nothing on its stack runs again, destructors included.
    destroyFiber();
}

void keyboardHandlerRegister(KeyboardHandler handler) {
    host.events.push_back("keyboardHandlerRegister");
    if (!handler) reportProtocolError("keyboardHandlerRegister: a null handler");
    host.registeredHandler = handler;
}

void keyboardHandlerUnregister(KeyboardHandler handler) {
    host.events.push_back("keyboardHandlerUnregister");
    if (handler != host.registeredHandler)
        reportProtocolError("keyboardHandlerUnregister: unknown handler");
    host.registeredHandler = nullptr;
}

void scriptWait(DWORD milliseconds) {
    if (!isOnFiber() || inKeyHandler) {
        reportProtocolError("scriptWait outside the script's fiber");
        return;
    }
    // Drapelle yields one frame at a time; a longer wait would skip frames of
    // drawing and key tests.
    if (milliseconds != 0) reportProtocolError("scriptWait(" + std::to_string(milliseconds) + ")");
    // The script sleeps until that long has passed since now.
    host.wakeStamp = now();
    host.wakeAfter = milliseconds;
    yieldFiber();
}

void nativeInit(UINT64 hash) {
    host.refusedCall = false;
    host.openCall.hash = hash;
    if (!isCallableHere("nativeInit", hash)) return;
    if (host.callOpen) reportProtocolError("nativeInit " + hex(hash) + " inside an open call");
    // The last result is gone once the next call begins.
    resultSlot = junk();
    host.callOpen = true;
    host.tooManyArgs = false;
    host.openCall.argCount = 0;
}

void nativePush64(UINT64 value) {
    NativeCall& call = host.openCall;
    if (!isCallableHere("nativePush64", call.hash)) return;
    if (call.argCount == kMaxNativeArgs) {
        host.tooManyArgs = true;
        return;
    }
    call.args[static_cast<std::size_t>(call.argCount++)] = value;
}

UINT64* nativeCall() {
    const NativeCall& call = host.openCall;
    resultSlot = junk();
    if (!isCallableHere("nativeCall", call.hash)) return &resultSlot;
    host.callOpen = false;
    const NativeInfo* info = findNative(call.hash);
    if (isRecording() || !info) frameInProgress().calls.push_back(call);
    if (!info) {
        reportProtocolError("unknown native " + hex(call.hash));
        return &resultSlot;
    }
    if (host.tooManyArgs || static_cast<std::size_t>(call.argCount) != std::strlen(info->args)) {
        reportProtocolError(std::string(info->name) + ": wrong number of arguments");
        return &resultSlot;
    }
    if (!checkArgumentSlots(*info, call, isRecording() ? &frameInProgress().calls.back() : nullptr))
        return &resultSlot;
    // A real host leaves whatever it likes above a 32-bit result: only the low
    // half may be read.
    resultSlot = (info->run(call.args.data()) & 0xFFFFFFFFu) | (junk() & ~0xFFFFFFFFull);
    noteNativeCall();
    return &resultSlot;
}
