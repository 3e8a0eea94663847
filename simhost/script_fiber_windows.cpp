// The script fiber on Windows: a real fiber, as the host itself runs scripts.
#include <cstdlib>

#include "simhost/script_fiber.h"

namespace sim {
namespace {

LPVOID hostFiber = nullptr;      // the thread's own fiber, converted once
LPVOID scriptFiber = nullptr;    // the script's fiber; null when there is none
ScriptMain scriptMain = nullptr; // the function the fiber runs
bool onFiber = false;            // whether the script is running now
bool finished = false;           // whether the script function has returned

void CALLBACK runFiber(LPVOID) {
    scriptMain();
    finished = true;
    SwitchToFiber(hostFiber);
    std::abort(); // a finished fiber is never resumed
}

} // namespace

void createFiber(ScriptMain script) {
    destroyFiber();
    if (!hostFiber)
        hostFiber = IsThreadAFiber() ? GetCurrentFiber() : ConvertThreadToFiber(nullptr);
    scriptMain = script;
    finished = false;
    scriptFiber = CreateFiber(256 * 1024, runFiber, nullptr);
}

void resumeFiber() {
    if (!scriptFiber || finished) return;
    onFiber = true;
    SwitchToFiber(scriptFiber);
    onFiber = false;
}

void yieldFiber() { SwitchToFiber(hostFiber); }

bool isOnFiber() { return onFiber; }
bool hasFiber() { return scriptFiber != nullptr; }

void destroyFiber() {
    if (!scriptFiber) return;
    DeleteFiber(scriptFiber);
    scriptFiber = nullptr;
    scriptMain = nullptr;
}

} // namespace sim
