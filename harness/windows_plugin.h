// Loading the real plug-in DLL the way the host does, on Windows.
#pragma once

#include <string>

#include "host/platform.h"

namespace harness {

// LoadLibrary (its DllMain registers script and handler), then its
// GetTickCount import pointed at the simulated clock. Null, with the reason
// in `error`, when either fails.
HMODULE loadPlugin(const std::string& path, std::string& error);

// The shipped DLL's frame cost beside its floor, in one process: the median
// of `repetitions` interleaved runs of `frames` frames each, per state.
int benchPlugin(const std::string& path, int repetitions, int frames);

} // namespace harness
