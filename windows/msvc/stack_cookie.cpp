// The stack cookie that /GS checks on the way out of every function with a
// buffer on its frame, and the check itself; a C runtime would bring both.
//
// The cookie is not set here: the load configuration points the loader at it,
// and every loader the DLL is made for (Windows 10 and 11, and Wine)
// replaces it with a random value before the entry point runs. The runner
// checks on every load that it did.
#include <cstdint>

// Mixed into each protected frame's check value; the value every image is
// built with until the loader replaces it.
extern "C" std::uint64_t __security_cookie = 0x00002B992DDFA232;

// Called by every protected function on its way out with its frame's check
// value in rcx. As Microsoft's own helper promises, it changes no register
// but rcx and the flags: a compiler may call it with the function's result
// already in rax or xmm0. A mismatch means the frame was overwritten: the
// process ends at once through the fail-fast path (int 0x29 with
// FAST_FAIL_STACK_COOKIE_CHECK_FAILURE, 2, in ecx), which Windows reports as
// a stack buffer overrun, before the overwritten return address is used.
__asm__(".text\n"
        ".globl __security_check_cookie\n"
        "__security_check_cookie:\n"
        "    cmpq __security_cookie(%rip), %rcx\n"
        "    jne 1f\n"
        "    ret\n"
        "1:  movl $2, %ecx\n"
        "    int $0x29\n");
