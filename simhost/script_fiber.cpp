// The script fiber: on Windows a real fiber, as the host itself runs scripts;
// on POSIX ucontext, annotated so that AddressSanitizer and ThreadSanitizer
// know when the stack changes.
#include "simhost/script_fiber.h"

#include <cstdlib>

#ifndef _WIN32
#include <ucontext.h>

#include <vector>

#ifndef __has_feature // GCC's sanitizers say so by other macros
#define __has_feature(feature) 0
#endif
#if defined(__SANITIZE_ADDRESS__) || __has_feature(address_sanitizer)
#define SIM_ASAN 1
#include <sanitizer/asan_interface.h>
#endif
#if defined(__SANITIZE_THREAD__) || __has_feature(thread_sanitizer)
#define SIM_TSAN 1
#include <sanitizer/tsan_interface.h>
#endif
#endif

namespace sim {
namespace {

constexpr std::size_t kStackSize = 256 * 1024;

ScriptMain scriptMain = nullptr; // the function the fiber runs
bool onFiber = false;            // whether the script is running now
bool finished = false;           // whether the script function has returned

void switchToHost(bool leavingForGood);

void runScript() {
    scriptMain();
    finished = true;
    switchToHost(true);
    std::abort(); // a finished fiber is never resumed
}

#ifdef _WIN32
LPVOID hostFiber = nullptr;   // the thread's own fiber, converted once
LPVOID scriptFiber = nullptr; // the script's fiber; null when there is none

bool exists() { return scriptFiber != nullptr; }
void CALLBACK runFiber(LPVOID) { runScript(); }
void make() {
    if (!hostFiber)
        hostFiber = IsThreadAFiber() ? GetCurrentFiber() : ConvertThreadToFiber(nullptr);
    scriptFiber = CreateFiber(kStackSize, runFiber, nullptr);
}
void switchToScript() { SwitchToFiber(scriptFiber); }
void switchToHost(bool) { SwitchToFiber(hostFiber); }
void unmake() {
    DeleteFiber(scriptFiber);
    scriptFiber = nullptr;
}
#else
ucontext_t hostContext;                // where the host resumes when the script waits
ucontext_t scriptContext;              // where the script resumes at the next frame
std::vector<char> scriptStack;         // the script's stack; empty when there is no fiber
#ifdef SIM_ASAN
const void* hostStackBottom = nullptr; // the host's stack, for switches back to it
std::size_t hostStackSize = 0;
#endif
#ifdef SIM_TSAN
void* hostTsanFiber = nullptr;
void* scriptTsanFiber = nullptr;
#endif

bool exists() { return !scriptStack.empty(); }

void runFiber() {
#ifdef SIM_ASAN
    __sanitizer_finish_switch_fiber(nullptr, &hostStackBottom, &hostStackSize);
#endif
    runScript();
}

void make() {
    scriptStack.assign(kStackSize, 0);
    getcontext(&scriptContext);
    scriptContext.uc_stack.ss_sp = scriptStack.data();
    scriptContext.uc_stack.ss_size = scriptStack.size();
    scriptContext.uc_link = nullptr;
    makecontext(&scriptContext, runFiber, 0);
#ifdef SIM_TSAN
    scriptTsanFiber = __tsan_create_fiber(0);
#endif
}

// Every switch goes through these two, so the sanitizers see them all.
void switchToScript() {
#ifdef SIM_TSAN
    hostTsanFiber = __tsan_get_current_fiber();
    __tsan_switch_to_fiber(scriptTsanFiber, 0);
#endif
#ifdef SIM_ASAN
    void* fakeStack = nullptr;
    __sanitizer_start_switch_fiber(&fakeStack, scriptStack.data(), scriptStack.size());
#endif
    swapcontext(&hostContext, &scriptContext);
#ifdef SIM_ASAN
    __sanitizer_finish_switch_fiber(fakeStack, nullptr, nullptr);
#endif
}

void switchToHost([[maybe_unused]] bool leavingForGood) {
#ifdef SIM_TSAN
    __tsan_switch_to_fiber(hostTsanFiber, 0);
#endif
#ifdef SIM_ASAN
    void* fakeStack = nullptr;
    __sanitizer_start_switch_fiber(leavingForGood ? nullptr : &fakeStack, hostStackBottom,
                                   hostStackSize);
#endif
    swapcontext(&scriptContext, &hostContext);
#ifdef SIM_ASAN
    __sanitizer_finish_switch_fiber(fakeStack, &hostStackBottom, &hostStackSize);
#endif
}

void unmake() {
#ifdef SIM_TSAN
    __tsan_destroy_fiber(scriptTsanFiber);
    scriptTsanFiber = nullptr;
#endif
    scriptStack.clear();
    scriptStack.shrink_to_fit();
}
#endif

} // namespace

void createFiber(ScriptMain script) {
    destroyFiber();
    scriptMain = script;
    finished = false;
    make();
}

void resumeFiber() {
    if (!exists() || finished) return;
    onFiber = true;
    switchToScript();
    onFiber = false;
}

void yieldFiber() { switchToHost(false); }

bool isOnFiber() { return onFiber; }
bool hasFiber() { return exists(); }

void destroyFiber() {
    if (!exists()) return;
    unmake();
    scriptMain = nullptr;
}

} // namespace sim
