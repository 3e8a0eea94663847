// The script's own stack, switched to once per frame, as the host's fiber.
#pragma once

#include "host/script_host.h"

namespace sim {

void createFiber(ScriptMain script);
// Runs the script until its next wait; once it has ended, nothing.
void resumeFiber();
// Switches back to the host; inside the script only.
void yieldFiber();
bool isOnFiber();
bool hasFiber();
// Deletes the fiber where it waits, as a host does: nothing on its stack runs
// again, no destructor included.
void destroyFiber();

} // namespace sim
