// A run's native calls, recorded alike by drapelle-sim and drapelle-runner.exe
// so that two builds compare call for call; and the random scenarios both play.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "harness/scenario.h"
#include "simhost/simhost.h"

namespace harness {

// A fresh stand-in and the frame length: what makes two runs of a scenario
// the same run, whichever build plays it. Before the plug-in loads.
void startRun(DWORD frameMs);

// Random key traffic, the same for a seed on every platform: menu keys held,
// F9 tapped, other keys, deaths, arrests and mid-frame messages, between
// walks that select each row of the top menu and then each clothing row, so
// that every row is acted on whatever rows the menus hold. Over `length` ms,
// or longer when the walks need it; the walks' keys timed for frames of
// `frameMs`.
Scenario randomScenario(std::uint32_t seed, DWORD length, DWORD frameMs);

constexpr DWORD kRandomScenarioLength = 60000; // ms of the programs' --random

// The programs' --record: "frame N tick T", then a line a call, its hash and
// each slot in hex, but a text as its text and an address as '&', which
// differ from one process to another where the calls do not.
FrameSeen recordInto(std::ostream& out);

} // namespace harness
