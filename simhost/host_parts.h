// What the stand-in host's rooms offer each other: the exports and the
// native-call protocol (exports.cpp) on one side, the plug-in's life, the
// frame loop, keys and the clock within a frame (frames.cpp) on the other.
#pragma once

#include <string>

#include "simhost/simhost.h"

namespace sim {

// --- exports.cpp ---------------------------------------------------------------
// Back to no registration, no open call and no errors.
void resetExports();

// --- frames.cpp ----------------------------------------------------------------
// Frames begun since the host was reset; 0 while the plug-in loads.
int frameNumber();
// The module handle the plug-in's DllMain was given through attach, or null.
HINSTANCE attachedModule();
// Whether the code running now is the plug-in's DllMain or its keyboard
// handler, called by this host on this thread.
bool isInEntryPoint();
bool isInKeyHandler();
// A native call has just run: within a frame the clock moves on with the
// calls, and a key message due at this point of the frame arrives.
void noteNativeCall();
// The plug-in reads the clock: a message set to arrive then arrives first.
void noteClockRead();
// The script's last wait: it sleeps until `milliseconds` have passed since `stamp`.
void parkScript(DWORD stamp, DWORD milliseconds);

} // namespace sim
