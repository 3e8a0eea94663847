// What the stand-in host's rooms offer each other: the exports and the
// native-call protocol (exports.cpp) on one side, the plug-in's life, the
// frame loop, keys and the clock within a frame (frames.cpp) on the other.
#pragma once

#include <string>

#include "simhost/simhost.h"

namespace sim {

// --- exports.cpp ---------------------------------------------------------------
void resetExports(); // no registration, no open call, no errors

// --- frames.cpp ----------------------------------------------------------------
// Frames begun since the host was reset; 0 while the plug-in loads.
int frameNumber();
// The module handle the plug-in's DllMain was given through attach, or null.
HINSTANCE attachedModule();
// Whether this host is running the plug-in's DllMain or (on this thread) its handler.
bool isInEntryPoint();
bool isInKeyHandler();
// After each native: the clock moves on, and a key message due now arrives.
void noteNativeCall();
// The plug-in reads the clock: a message set to arrive then arrives first.
void noteClockRead();
// The script's last wait: it sleeps until `milliseconds` have passed since `stamp`.
void parkScript(DWORD stamp, DWORD milliseconds);

} // namespace sim
