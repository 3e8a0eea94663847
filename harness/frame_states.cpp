#include "harness/frame_states.h"

#include <cstdint>

#include "host/native_call.h"
#include "input/key_table.h"
#include "simhost/game.h"

namespace harness {
namespace {

// The floor: one frame's native calls, with every argument slot worked out
// beforehand, so that replaying them costs the protocol and nothing else.
struct ReplayCall {
    UINT64 hash;
    int argCount;
    UINT64 slots[sim::kMaxNativeArgs];
};
std::vector<ReplayCall> replayCalls;
std::vector<std::string> replayTexts;           // the text arguments, kept alive
std::int32_t replayWidth = 0, replayHeight = 0; // where the resolution is written
Loader pluginLoader{};                          // how a fresh plug-in comes and goes
bool pluginLoaded = false;                      // whether one is loaded now

void hold(DWORD key, int frames) {
    sim::keyDown(key);
    sim::runFrames(frames);
    sim::keyUp(key);
}

void replayScript() {
    for (;;) {
        for (const ReplayCall& call : replayCalls) {
            nativeInit(call.hash);
            for (int i = 0; i < call.argCount; ++i) nativePush64(call.slots[i]);
            volatile std::uint32_t result = static_cast<std::uint32_t>(*nativeCall());
            (void)result;
        }
        scriptWait(0);
    }
}

void prepareReplay(const std::vector<sim::NativeCall>& calls) {
    replayCalls.clear();
    replayTexts.clear();
    replayTexts.reserve(calls.size()); // never moved, so their addresses hold
    for (const sim::NativeCall& call : calls) {
        ReplayCall replay{call.hash, call.argCount, {}};
        const char* kinds = sim::findNative(call.hash)->args;
        for (int i = 0; i < call.argCount; ++i) {
            const auto at = static_cast<std::size_t>(i);
            replay.slots[at] = call.args[at];
            if (kinds[i] == 's')
                replay.slots[at] = toSlot(replayTexts.emplace_back(call.text).c_str());
            if (kinds[i] == 'p') replay.slots[at] = toSlot(i == 0 ? &replayWidth : &replayHeight);
        }
        replayCalls.push_back(replay);
    }
}

} // namespace

const char* stateName(State state) {
    static const char* const names[] = {"closed", "top_menu", "clothing_menu_with_status"};
    return names[static_cast<int>(state)];
}

void setLoader(Loader loader) { pluginLoader = loader; }

void enterState(State state) {
    leave();
    sim::reset();
    pluginLoader.load();
    pluginLoaded = true;
    sim::runFrames(2);
    if (state != State::Closed) {
        sim::keyDown(kMenuKey);
        sim::keyUp(kMenuKey);
        sim::runFrames(12);
    }
    if (state == State::ClothingMenu) {
        hold(kKeyNumpad5, 12); // into the clothing menu
        sim::runFrames(12);
        hold(kKeyNumpad5, 1); // the first row: the status line
    }
    sim::runFrames(20);
    // The cheapest dispatch: a fixed line count instead of the renderer's layout.
    sim::game().forcedLineCount = 1;
    // Frozen time: the menu tests its keys every frame and the status line stays.
    sim::setFrameTime(0);
    sim::setRecording(false);
    sim::runFrames(2);
}

void enterFloor(State state) {
    enterState(state);
    sim::setRecording(true);
    sim::runFrame();
    prepareReplay(sim::lastFrame().calls);
    pluginLoader.unload();
    pluginLoaded = false;
    sim::setRecording(false);
    sim::startScript(replayScript);
    sim::runFrames(2);
}

void leave() {
    if (pluginLoaded) pluginLoader.unload();
    pluginLoaded = false;
    sim::stopScript();
}

} // namespace harness
