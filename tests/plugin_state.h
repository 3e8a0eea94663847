// Puts the plug-in's statics back to their initial values, as a fresh load of
// the library would: the plug-in is linked into the test programs, so a
// "reload" in-process needs this by hand. Defined apart, so that a test that
// includes this needs none of the plug-in's headers.
#pragma once

// The status line's own flag, which only its file uses: declared here for the tests.
extern bool statusShown;

void resetPluginState();
