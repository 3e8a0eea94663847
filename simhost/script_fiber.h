// The script's own stack, switched to once per frame, as the host's fiber.
#pragma once

#include "host/script_host.h"

namespace sim {

// Thrown out of scriptWait when the host stops the script, so that the
// script's stack unwinds and releases what it holds.
struct ScriptStopped {};

void createFiber(ScriptMain script);
// Runs the script until its next wait; false once it has ended.
bool resumeFiber();
// Switches back to the host; inside the script only.
void yieldFiber();
bool isOnFiber();
bool hasFiber();
// Unwinds the script from its current wait and frees its stack.
void destroyFiber();

} // namespace sim
