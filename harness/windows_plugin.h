// Loading the real plug-in DLL the way the host does, on Windows.
#pragma once

#include <string>

#include "host/platform.h"

namespace harness {

// LoadLibrary, then its GetTickCount import pointed at the simulated clock;
// null, with the reason, when either fails.
HMODULE loadPlugin(const std::string& path, std::string& error);

// The DLL's frame cost beside its floor: per state, the median of
// `repetitions` interleaved runs of `frames` frames.
int benchPlugin(const std::string& path, int repetitions, int frames);

} // namespace harness
