// The host's eight exports and the native-call protocol, refusing each misuse
// a real host would not survive, with the native, the rule and the frame.
#include <cstring>

#include "simhost/game.h"
#include "simhost/host_parts.h"
#include "simhost/script_fiber.h"

namespace sim {
namespace {

ScriptMain registeredScript = nullptr;       // what scriptRegister received
HINSTANCE registeredModule = nullptr;        // and for which module
KeyboardHandler registeredHandler = nullptr; // what keyboardHandlerRegister received
std::vector<std::string> events;             // registration calls, in order
std::vector<std::string> errors;             // protocol misuse seen so far
std::uint32_t junkSeed = 0;                  // varies the junk left in result slots

bool callOpen = false;    // between nativeInit and nativeCall
NativeCall openCall;      // the call being assembled
bool tooManyArgs = false; // more than kMaxNativeArgs pushed
bool refusedCall = false; // whether its nativeInit was refused (said once, not per step)
UINT64 resultSlot = 0;    // what nativeCall hands back the address of

// What a real host leaves in a slot it has not written: anything.
UINT64 junk() {
    junkSeed = junkSeed * 1664525u + 1013904223u;
    return static_cast<UINT64>(junkSeed | 1u) << 32 | junkSeed;
}

// A text argument lives only until the call returns: the log keeps a copy.
void keepTextArgument(const NativeInfo& info, NativeCall& logged) {
    for (int i = 0; i < logged.argCount; ++i) {
        const char* text = reinterpret_cast<const char*>(
            static_cast<std::uintptr_t>(logged.args[static_cast<std::size_t>(i)]));
        if (info.args[i] == 's' && text) logged.text = text;
    }
}

// An int, bool or float travels in the low half of a slot whose high half is
// zero; a bool is 0 or 1. A text is a real address, an int pointer a real and
// aligned one: the game reads and writes through them.
bool checkArgumentSlots(const NativeInfo& info, const NativeCall& call) {
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
        }
    }
    return usable;
}

// A native from DllMain (under the loader lock) or the keyboard handler (on
// the window's thread) would crash a real game or corrupt the script's call.
bool isCallableHere(const char* step, UINT64 hash) {
    if (refusedCall && std::strcmp(step, "nativeInit") != 0) return false;
    const char* where = isInEntryPoint()   ? "from DllMain"
                        : isInKeyHandler() ? "from the keyboard handler"
                        : !isOnFiber()     ? "outside the script's fiber"
                                           : nullptr;
    if (!where) return true;
    reportProtocolError(std::string(step) + " of " + nativeName(hash) + " " + where +
                        ": natives run only on the script's fiber");
    refusedCall = std::strcmp(step, "nativeInit") == 0;
    return false;
}

// The module a registration must name: the handle DllMain received, or on
// Windows, for a library the loader attached, the one the script lives in.
HINSTANCE expectedModule([[maybe_unused]] ScriptMain script) {
    if (HINSTANCE attached = attachedModule()) return attached;
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

} // namespace

ScriptMain registeredScriptFunction() { return registeredScript; }
KeyboardHandler registeredKeyboardHandler() { return registeredHandler; }
bool isScriptRegistered() { return registeredScript != nullptr; }
bool isHandlerRegistered() { return registeredHandler != nullptr; }
const std::vector<std::string>& hostEvents() { return events; }
const std::vector<std::string>& protocolErrors() { return errors; }

void reportProtocolError(std::string message) {
    const int frame = frameNumber();
    errors.push_back((frame == 0 ? std::string("before the first frame: ")
                                 : "frame " + std::to_string(frame) + ": ") +
                     message);
}

void resetExports() {
    registeredScript = nullptr;
    registeredModule = nullptr;
    registeredHandler = nullptr;
    events.clear();
    errors.clear();
    callOpen = false;
    refusedCall = false;
}

} // namespace sim

using namespace sim;

// --- The eight exports -------------------------------------------------------

void scriptRegister(HINSTANCE module, ScriptMain scriptMain) {
    events.push_back("scriptRegister");
    checkModule("scriptRegister", module, expectedModule(scriptMain),
                "the handle DllMain received");
    if (!scriptMain) reportProtocolError("scriptRegister: a null script");
    registeredModule = module;
    registeredScript = scriptMain;
    if (scriptMain) createFiber(scriptMain);
}

void scriptUnregister(HINSTANCE module) {
    events.push_back("scriptUnregister");
    checkModule("scriptUnregister", module, registeredModule, "the one registered");
    registeredScript = nullptr;
    registeredModule = nullptr;
    // The script stops here, parked in its wait: its fiber is deleted, and
    // nothing on its stack runs again, destructors included.
    destroyFiber();
}

void keyboardHandlerRegister(KeyboardHandler handler) {
    events.push_back("keyboardHandlerRegister");
    if (!handler) reportProtocolError("keyboardHandlerRegister: a null handler");
    registeredHandler = handler;
}

void keyboardHandlerUnregister(KeyboardHandler handler) {
    events.push_back("keyboardHandlerUnregister");
    if (handler != registeredHandler)
        reportProtocolError("keyboardHandlerUnregister: unknown handler");
    registeredHandler = nullptr;
}

void scriptWait(DWORD milliseconds) {
    if (!isOnFiber() || isInKeyHandler()) {
        reportProtocolError("scriptWait outside the script's fiber");
        return;
    }
    // Drapelle yields one frame at a time; a longer wait would skip frames of
    // drawing and key tests.
    if (milliseconds != 0) reportProtocolError("scriptWait(" + std::to_string(milliseconds) + ")");
    parkScript(now(), milliseconds);
    yieldFiber();
}

void nativeInit(UINT64 hash) {
    refusedCall = false;
    openCall.hash = hash;
    if (!isCallableHere("nativeInit", hash)) return;
    if (callOpen) reportProtocolError("nativeInit " + hex(hash) + " inside an open call");
    // The last result is gone once the next call begins.
    resultSlot = junk();
    callOpen = true;
    tooManyArgs = false;
    openCall.argCount = 0;
}

void nativePush64(UINT64 value) {
    if (!isCallableHere("nativePush64", openCall.hash)) return;
    if (!callOpen) {
        reportProtocolError("nativePush64 without nativeInit");
        return;
    }
    if (openCall.argCount == kMaxNativeArgs) {
        tooManyArgs = true;
        return;
    }
    openCall.args[static_cast<std::size_t>(openCall.argCount++)] = value;
}

UINT64* nativeCall() {
    resultSlot = junk();
    if (!isCallableHere("nativeCall", openCall.hash)) return &resultSlot;
    if (!callOpen) {
        reportProtocolError("nativeCall without nativeInit");
        return &resultSlot;
    }
    callOpen = false;
    const NativeInfo* info = findNative(openCall.hash);
    if (isRecording() || !info) frameInProgress().calls.push_back(openCall);
    if (!info) {
        reportProtocolError("unknown native " + hex(openCall.hash));
        return &resultSlot;
    }
    if (tooManyArgs || static_cast<std::size_t>(openCall.argCount) != std::strlen(info->args)) {
        reportProtocolError(std::string(info->name) + ": wrong number of arguments");
        return &resultSlot;
    }
    if (!checkArgumentSlots(*info, openCall)) return &resultSlot;
    if (isRecording()) keepTextArgument(*info, frameInProgress().calls.back());
    // A real host leaves whatever it likes above a 32-bit result: only the low
    // half may be read.
    resultSlot = (info->run(openCall.args.data()) & 0xFFFFFFFFu) | (junk() & ~0xFFFFFFFFull);
    noteNativeCall();
    return &resultSlot;
}
