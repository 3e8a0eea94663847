// The script fiber on POSIX: ucontext, annotated so that AddressSanitizer and
// ThreadSanitizer know when the stack changes.
#include <ucontext.h>

#include <cstdlib>
#include <vector>

#include "simhost/script_fiber.h"

#ifndef __has_feature // GCC's sanitizers say so by other macros
#define __has_feature(feature) 0
#endif
#if defined(__SANITIZE_ADDRESS__) || __has_feature(address_sanitizer)
#define SIM_ASAN 1
#endif
#if defined(__SANITIZE_THREAD__) || __has_feature(thread_sanitizer)
#define SIM_TSAN 1
#endif

#ifdef SIM_ASAN
#include <sanitizer/asan_interface.h>
#endif
#ifdef SIM_TSAN
#include <sanitizer/tsan_interface.h>
#endif

namespace sim {
namespace {

constexpr std::size_t kStackSize = 256 * 1024;

ucontext_t hostContext;          // where the host resumes when the script waits
ucontext_t scriptContext;        // where the script resumes at the next frame
std::vector<char> scriptStack;   // the script's stack; empty when there is no fiber
ScriptMain scriptMain = nullptr; // the function the fiber runs
bool onFiber = false;            // whether the script is running now
bool finished = false;           // whether the script function has returned
#ifdef SIM_ASAN
const void* hostStackBottom = nullptr; // the host's stack, for switches back to it
std::size_t hostStackSize = 0;
#endif
#ifdef SIM_TSAN
void* hostTsanFiber = nullptr;
void* scriptTsanFiber = nullptr;
#endif

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
    onFiber = true;
    swapcontext(&hostContext, &scriptContext);
    onFiber = false;
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

void runFiber() {
#ifdef SIM_ASAN
    __sanitizer_finish_switch_fiber(nullptr, &hostStackBottom, &hostStackSize);
#endif
    scriptMain();
    finished = true;
    switchToHost(true);
    std::abort(); // a finished fiber is never resumed
}

} // namespace

void createFiber(ScriptMain script) {
    destroyFiber();
    scriptMain = script;
    finished = false;
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

void resumeFiber() {
    if (!scriptStack.empty() && !finished) switchToScript();
}

void yieldFiber() { switchToHost(false); }

bool isOnFiber() { return onFiber; }
bool hasFiber() { return !scriptStack.empty(); }

void destroyFiber() {
    if (scriptStack.empty()) return;
#ifdef SIM_TSAN
    __tsan_destroy_fiber(scriptTsanFiber);
    scriptTsanFiber = nullptr;
#endif
    scriptStack.clear();
    scriptStack.shrink_to_fit();
    scriptMain = nullptr;
}

} // namespace sim
