// One record of a run's native calls, frame by frame, written alike by every
// program that plays a scenario (drapelle-sim with the plug-in linked in,
// drapelle-runner.exe with the players' DLL under Wine), so that two builds
// of the plug-in can be compared call for call; and the random scenarios
// both play.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "harness/scenario.h"
#include "simhost/simhost.h"

namespace harness {

// What makes two runs of one scenario the same run, whichever build of the
// plug-in plays it: the stand-in afresh (its clock at the same start, the
// same screen size, the same game) and the same frame length. Every program
// starts a run with this, before it loads the plug-in.
void startRun(DWORD frameMs);

// A scenario of random key traffic, the same for a seed on every platform:
// the menu keys held for a few frames to many, F9 tapped, other keys among
// them, deaths and arrests, key messages between a frame's natives, over
// `length` ms of simulated time, so that both menus and the status line come
// and go.
Scenario randomScenario(std::uint32_t seed, DWORD length);

// How long the programs' --random scenarios run: several thousand frames.
constexpr DWORD kRandomScenarioLength = 60000;

// The programs' --record: every frame `playScenario` plays, into `out`, as a
// line "frame N tick T", then a line a call, its hash and each argument's
// 64-bit slot in hex, bit for bit, but a text written as its text and an
// address as '&': those differ from one process to another where calls do not.
FrameSeen recordInto(std::ostream& out);

} // namespace harness
