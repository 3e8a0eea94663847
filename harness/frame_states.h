// The three states a frame is measured in, and the bare native sequence each
// one makes (the floor no implementation can go below).
#pragma once

#include <string>
#include <vector>

#include "simhost/simhost.h"

namespace harness {

enum class State { Closed, TopMenu, ClothingMenu };

// How a fresh plug-in comes and goes: linked in (useLinkedPlugin) on Linux,
// the real DLL in the Windows runner.
struct Loader {
    void (*load)();
    void (*unload)();
};
void setLoader(Loader loader);

const char* stateName(State state);
// Loads the plug-in fresh and brings it into `state`, with recording off and
// the clock frozen, so that every following frame is the same frame.
void enterState(State state);
// A script that makes one recorded frame's native calls of `state`, and a
// wait, every frame.
void enterFloor(State state);
void leave();

} // namespace harness
