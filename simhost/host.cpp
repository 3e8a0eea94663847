// The host's side: registration, the frame loop, key delivery and the
// native-call protocol.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "simhost/game.h"
#ifdef DRAPELLE_HAVE_RENDER
#include "simhost/picture/render.h"
#endif
#include "simhost/script_fiber.h"
#include "simhost/simhost.h"

namespace sim {
namespace {

EntryPoint pluginEntry = nullptr;            // the attached plug-in's DllMain
HINSTANCE pluginModule = nullptr;            // the module handle it was given
ScriptMain registeredScript = nullptr;       // what scriptRegister received
HINSTANCE registeredModule = nullptr;        // and for which module
KeyboardHandler registeredHandler = nullptr; // what keyboardHandlerRegister received
std::vector<std::string> events;             // registration calls, in order
std::vector<std::string> errors;             // protocol misuse seen so far
DWORD frameTime = 16;                        // simulated ms per game frame
std::vector<DWORD> frameTimes;               // when set, frame lengths taken in turn instead
std::size_t nextFrameTime = 0;               // the next of frameTimes to take
DWORD wakeStamp = 0, wakeAfter = 0;          // a wait of more than 0 ms keeps the script parked
// A key the simulated keyboard holds down, and its auto-repeat.
struct HeldKey {
    DWORD key;
    DWORD lastPress;  // when it last sent a press
    bool repeatedYet; // whether it has repeated since going down
};
std::vector<HeldKey> heldKeys;             // the keys down now, codes below 256 only
DWORD repeatDelay = 500, repeatEvery = 33; // Windows' auto-repeat; a delay of 0 turns it off
std::uint32_t junkSeed = 0;                // varies the junk in result slots' high halves
Frame finishedFrame;                       // the last complete frame
bool recording = true;                     // whether calls and draw items go into the frame

// The call being assembled between nativeInit and nativeCall.
bool callOpen = false;
NativeCall openCall;
bool tooManyArgs = false;
UINT64 resultSlot = 0; // what nativeCall hands back the address of

void reportError(std::string message) { errors.push_back(std::move(message)); }

// A text argument lives only until the call returns: the log keeps a copy.
void keepTextArgument(const NativeInfo& info, NativeCall& logged) {
    for (int i = 0; i < logged.argCount; ++i) {
        const char* text = reinterpret_cast<const char*>(
            static_cast<std::uintptr_t>(logged.args[static_cast<std::size_t>(i)]));
        if (info.args[i] == 's' && text) logged.text = text;
    }
}

// Whether the script's last wait asked for more time than has passed.
bool isScriptAsleep() { return wakeAfter > 0 && static_cast<DWORD>(now() - wakeStamp) < wakeAfter; }

std::string hex(UINT64 value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(value));
    return text;
}

// An int, bool or float travels in the low half of a slot whose high half is
// zero; a bool is 0 or 1.
void checkValueSlots(const NativeInfo& info, const NativeCall& call) {
    for (int i = 0; i < call.argCount; ++i) {
        const UINT64 slot = call.args[static_cast<std::size_t>(i)];
        const char kind = info.args[i];
        const bool valueKind = kind == 'i' || kind == 'b' || kind == 'f';
        if ((valueKind && slot >> 32) || (kind == 'b' && slot > 1))
            reportError(std::string(info.name) + ": argument " + std::to_string(i + 1) + " is " +
                        hex(slot));
    }
}

} // namespace

// --- The eight exports -------------------------------------------------------

} // namespace sim

void scriptRegister(HINSTANCE module, ScriptMain scriptMain) {
    sim::events.push_back("scriptRegister");
    sim::registeredModule = module;
    sim::registeredScript = scriptMain;
    sim::createFiber(scriptMain);
}

void scriptUnregister(HINSTANCE module) {
    sim::events.push_back("scriptUnregister");
    if (module != sim::registeredModule) sim::reportError("scriptUnregister: unknown module");
    sim::registeredScript = nullptr;
    sim::registeredModule = nullptr;
    // The script stops here, while the library's code is still mapped: its
    // stack unwinds and releases what it holds.
    sim::destroyFiber();
}

void keyboardHandlerRegister(KeyboardHandler handler) {
    sim::events.push_back("keyboardHandlerRegister");
    sim::registeredHandler = handler;
}

void keyboardHandlerUnregister(KeyboardHandler handler) {
    sim::events.push_back("keyboardHandlerUnregister");
    if (handler != sim::registeredHandler)
        sim::reportError("keyboardHandlerUnregister: unknown handler");
    sim::registeredHandler = nullptr;
}

void scriptWait(DWORD milliseconds) {
    if (!sim::isOnFiber()) {
        sim::reportError("scriptWait outside the script fiber");
        return;
    }
    // Drapelle yields one frame at a time; a longer wait would skip frames of
    // drawing and key tests.
    if (milliseconds != 0) sim::reportError("scriptWait(" + std::to_string(milliseconds) + ")");
    sim::wakeStamp = sim::now();
    sim::wakeAfter = milliseconds;
    sim::yieldFiber();
}

void nativeInit(UINT64 hash) {
    if (sim::callOpen) sim::reportError("nativeInit " + sim::hex(hash) + " inside an open call");
    sim::callOpen = true;
    sim::tooManyArgs = false;
    sim::openCall.hash = hash;
    sim::openCall.argCount = 0;
}

void nativePush64(UINT64 value) {
    if (!sim::callOpen) {
        sim::reportError("nativePush64 without nativeInit");
        return;
    }
    if (sim::openCall.argCount == sim::kMaxNativeArgs) {
        sim::tooManyArgs = true;
        return;
    }
    sim::openCall.args[static_cast<std::size_t>(sim::openCall.argCount++)] = value;
}

UINT64* nativeCall() {
    using namespace sim;
    resultSlot = 0;
    if (!callOpen) {
        reportError("nativeCall without nativeInit");
        return &resultSlot;
    }
    callOpen = false;
    const NativeInfo* info = findNative(openCall.hash);
    if (recording || !info) frameInProgress().calls.push_back(openCall);
    if (!info) {
        reportError("unknown native " + hex(openCall.hash));
        return &resultSlot;
    }
    if (tooManyArgs || static_cast<std::size_t>(openCall.argCount) != std::strlen(info->args)) {
        reportError(std::string(info->name) + ": wrong number of arguments");
        return &resultSlot;
    }
    if (recording) keepTextArgument(*info, frameInProgress().calls.back());
    checkValueSlots(*info, openCall);
    // A real host leaves whatever it likes above a 32-bit result: only the low
    // half may be read.
    junkSeed = junkSeed * 1664525u + 1013904223u;
    resultSlot = (info->run(openCall.args.data()) & 0xFFFFFFFFu) |
                 (static_cast<UINT64>(junkSeed | 1u) << 32);
    return &resultSlot;
}

namespace sim {

// --- Life of the plug-in -------------------------------------------------------

void attach(EntryPoint entry) {
    pluginEntry = entry;
    pluginModule = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x180000000));
    pluginEntry(pluginModule, DLL_PROCESS_ATTACH, nullptr);
}

void detach() {
    if (!pluginEntry) return;
    pluginEntry(pluginModule, DLL_PROCESS_DETACH, nullptr);
    pluginEntry = nullptr;
}

bool isScriptRegistered() { return registeredScript != nullptr; }
bool isHandlerRegistered() { return registeredHandler != nullptr; }
const std::vector<std::string>& hostEvents() { return events; }

void startScript(ScriptMain script) { createFiber(script); }
void stopScript() { destroyFiber(); }

// --- Frames --------------------------------------------------------------------

// Auto-repeat: a key held down sends press messages (previous state down)
// after the delay, then at the repeat rate, as Windows does.
void sendRepeats() {
    if (repeatDelay == 0) return;
    for (HeldKey& held : heldKeys) {
        const DWORD gap = held.repeatedYet ? repeatEvery : repeatDelay;
        if (static_cast<DWORD>(now() - held.lastPress) < gap) continue;
        held.lastPress = now();
        held.repeatedYet = true;
        sendKeyMessage(held.key, FALSE, TRUE, FALSE);
    }
}

void runFrame() {
    sendRepeats();
    beginFrame();
    if (hasFiber() && !isScriptAsleep()) resumeFiber();
    // Swapped, not copied: both frames keep their storage from frame to frame.
    std::swap(finishedFrame, frameInProgress());
    if (frameTimes.empty()) {
        advance(frameTime);
    } else {
        advance(frameTimes[nextFrameTime]);
        nextFrameTime = (nextFrameTime + 1) % frameTimes.size();
    }
}

void runFrames(int count) {
    for (int i = 0; i < count; ++i) runFrame();
}

void runFor(DWORD milliseconds) {
    const DWORD start = now();
    while (static_cast<DWORD>(now() - start) < milliseconds) runFrame();
}

void setRecording(bool on) { recording = on; }
bool isRecording() { return recording; }

const Frame& lastFrame() { return finishedFrame; }
void setFrameTime(DWORD milliseconds) {
    frameTime = milliseconds;
    frameTimes.clear();
}
void setFrameTimes(std::vector<DWORD> milliseconds) {
    frameTimes = std::move(milliseconds);
    nextFrameTime = 0;
}

// --- Keyboard ------------------------------------------------------------------

void sendKeyMessage(DWORD key, BOOL isWithAlt, BOOL wasDownBefore, BOOL isUpNow) {
    deliverKeyMessage({key, 1, 0, FALSE, isWithAlt, wasDownBefore, isUpNow});
}

void deliverKeyMessage(const KeyMessage& message) {
    if (!registeredHandler) return;
    registeredHandler(message.key, message.repeats, message.scanCode, message.isExtended,
                      message.isWithAlt, message.wasDownBefore, message.isUpNow);
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

static std::vector<HeldKey>::iterator findHeld(DWORD key) {
    return std::find_if(heldKeys.begin(), heldKeys.end(),
                        [key](const HeldKey& held) { return held.key == key; });
}

void keyDown(DWORD key) {
    const bool wasDown = findHeld(key) != heldKeys.end();
    if (key < 256 && !wasDown) heldKeys.push_back({key, now(), false});
    sendKeyMessage(key, FALSE, wasDown, FALSE);
}

void setKeyRepeat(DWORD delay, DWORD every) {
    repeatDelay = delay;
    repeatEvery = every;
}

void keyUp(DWORD key) {
    if (const auto held = findHeld(key); held != heldKeys.end()) heldKeys.erase(held);
    sendKeyMessage(key, FALSE, TRUE, TRUE);
}

// --- Protocol ------------------------------------------------------------------

const std::vector<std::string>& protocolErrors() { return errors; }
void reportProtocolError(std::string message) { reportError(std::move(message)); }

const char* nativeName(UINT64 hash) {
    const NativeInfo* info = findNative(hash);
    return info ? info->name : "unknown";
}

std::string describeCall(const NativeCall& call) {
    const NativeInfo* info = findNative(call.hash);
    std::string text = info ? info->name : hex(call.hash);
    text += '(';
    for (int i = 0; i < call.argCount; ++i) {
        const UINT64 slot = call.args[static_cast<std::size_t>(i)];
        const char kind =
            info && static_cast<std::size_t>(i) < std::strlen(info->args) ? info->args[i] : 'x';
        if (i > 0) text += ", ";
        if (slot >> 32) {
            // Only an address may use the high half; a value there is a fault.
            if (kind != 'p' && kind != 's') text += "!";
        }
        switch (kind) {
        case 'i':
            text += std::to_string(static_cast<std::int32_t>(slot));
            break;
        case 'b':
            text += std::to_string(static_cast<std::uint32_t>(slot));
            break;
        case 'f': {
            char number[32];
            const std::uint32_t bits = static_cast<std::uint32_t>(slot);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            const auto end = std::to_chars(number, number + sizeof number, value).ptr;
            text.append(number, end);
            break;
        }
        case 's':
            text += '"' + call.text + '"';
            break;
        case 'p':
            text += "&";
            break;
        default:
            text += hex(slot);
        }
    }
    return text + ')';
}

std::vector<std::string> describeCalls(const Frame& frame) {
    std::vector<std::string> lines;
    for (const NativeCall& call : frame.calls) lines.push_back(describeCall(call));
    return lines;
}

void reset() {
    destroyFiber();
    pluginEntry = nullptr;
    registeredScript = nullptr;
    registeredModule = nullptr;
    registeredHandler = nullptr;
    events.clear();
    errors.clear();
    frameTime = 16;
    wakeStamp = wakeAfter = 0;
    heldKeys.clear();
    repeatDelay = 500;
    repeatEvery = 33;
    frameTimes.clear();
    nextFrameTime = 0;
    finishedFrame = Frame{};
    // Room for the largest frame up front, so that a long run's heap stays flat.
    for (Frame* frame : {&finishedFrame, &frameInProgress()}) {
        frame->calls.reserve(512);
        frame->texts.reserve(32);
        frame->rects.reserve(32);
    }
    callOpen = false;
    recording = true;
    setTick(1000000);
    resetGame();
    beginFrame();
#ifdef DRAPELLE_HAVE_RENDER
    std::string fontError;
    loadFonts(fontError); // without fonts, line counts fall back to an estimate
#endif
}

} // namespace sim
