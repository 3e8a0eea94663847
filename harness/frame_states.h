// The three states a frame is measured in, and the bare native sequence each
// one makes (the floor no implementation can go below).
#pragma once

#include <string>
#include <vector>

#include "simhost/simhost.h"

namespace harness {

enum class State { Closed, TopMenu, ClothingMenu };

// How a fresh plug-in is loaded into the stand-in and unloaded again: the
// benchmarks on Linux use the plug-in linked in (useLinkedPlugin, in
// linked_plugin.h), the Windows runner the real DLL.
struct Loader {
    void (*load)();
    void (*unload)();
};
void setLoader(Loader loader);

const char* stateName(State state);
// Loads the plug-in fresh and brings it into `state`, with recording off and
// the clock frozen, so that every following frame is the same frame.
void enterState(State state);
// Records one frame of the plug-in in `state`, then starts a script that
// makes exactly the same native calls, and a scriptWait, per frame.
void enterFloor(State state);
void leave();

} // namespace harness
