// The stack cookie that /GS checks on the way out of every function with a
// buffer on its frame, set before any such function runs. The C runtime's
// start-up would do this; the DLL starts without it.
#include <windows.h>

#include <cstdint>

// The value every image is built with. The loader replaces it with a random
// one when the load configuration points at it; a cookie still holding it
// after load was not replaced.
constexpr std::uint64_t kBuiltCookie = 0x00002B992DDFA232;

// Mixed into each protected frame's check value; the DLL's own until load.
extern "C" std::uint64_t __security_cookie = kBuiltCookie;

// What Windows offers without a C runtime, as Microsoft's start-up mixes it:
// the time, the process and thread, the performance counter and where the
// stack is. The top 16 bits stay zero, as the loader's own cookies have them.
static std::uint64_t makeCookie() {
    FILETIME time = {};
    GetSystemTimeAsFileTime(&time);
    std::uint64_t cookie = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    cookie ^= GetCurrentThreadId();
    cookie ^= std::uint64_t{GetCurrentProcessId()} << 16;
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    cookie ^= (static_cast<std::uint64_t>(counter.QuadPart) << 32) ^
              static_cast<std::uint64_t>(counter.QuadPart);
    cookie ^= reinterpret_cast<std::uintptr_t>(&counter);
    cookie &= 0x0000FFFFFFFFFFFF;
    return cookie == kBuiltCookie ? cookie + 1 : cookie;
}

// Called by the entry point on attach, before DllMain: keeps the loader's
// cookie, or makes one where the loader did not (an older Windows, Wine).
void setStackCookie() {
    if (__security_cookie == kBuiltCookie) __security_cookie = makeCookie();
}

// Called by every protected function on its way out with its frame's check
// value. A mismatch means the frame was overwritten: the process ends at
// once, through the fail-fast path Windows reports as a stack buffer overrun,
// before the overwritten return address is used.
extern "C" void __security_check_cookie(std::uintptr_t checked) {
    if (checked == __security_cookie) return;
    __fastfail(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE);
}
