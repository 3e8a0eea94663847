// The plug-in linked into a Linux program: its statics stay from one "load"
// to the next unless put back by hand.
#pragma once

// The status line's own flag, which only its file uses: declared here for the tests.
extern bool statusShown;

namespace harness {

// Every static of the plug-in back to its value at load.
void resetPluginState();
// The frame states' loader: resetPluginState and DllMain.
void useLinkedPlugin();

} // namespace harness
