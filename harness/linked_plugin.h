// The plug-in linked into a Linux program (the tests, the fuzzer, the
// benchmarks) rather than loaded as a library: its statics stay from one
// "load" to the next unless put back by hand.
#pragma once

// The status line's own flag, which only its file uses: declared here for the tests.
extern bool statusShown;

namespace harness {

// Puts every static of the plug-in back to its value at load, as a fresh load
// of the library would.
void resetPluginState();

// The frame states' loader (frame_states.h) for the linked plug-in: each load
// is resetPluginState and the plug-in's DllMain.
void useLinkedPlugin();

} // namespace harness
