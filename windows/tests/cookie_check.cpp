// Calls the players' DLL's stack cookie check as a compiler may: with the
// caller's values still in every volatile register, the result's among them.
// Prints each register the check changed, and exits 0 when it changed none.
// With "--mismatch" it passes a wrong check value, which must end the process
// through the fail-fast path before anything more is printed.
#include <windows.h>

#include <cstdint>

extern "C" std::uint64_t __security_cookie;

// The volatile registers of the x64 calling convention but rcx, which holds
// the check value: rax, rdx, r8 to r11, then xmm0 to xmm5 as two halves each.
struct VolatileRegisters {
    std::uint64_t integer[6];
    std::uint64_t vector[6][2];
};
const char* const kNames[] = {"rax",  "rdx",  "r8",   "r9",   "r10",  "r11",
                              "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5"};

// Loads the registers from *registers, calls __security_check_cookie with
// checked, and stores the registers back.
extern "C" void callCookieCheck(VolatileRegisters* registers, std::uint64_t checked);
__asm__(".text\n"
        ".globl callCookieCheck\n"
        "callCookieCheck:\n"
        "    pushq %rbx\n"
        "    subq $32, %rsp\n"
        "    movq %rcx, %rbx\n"
        "    movq %rdx, %rcx\n"
        "    movq 0(%rbx), %rax\n"
        "    movq 8(%rbx), %rdx\n"
        "    movq 16(%rbx), %r8\n"
        "    movq 24(%rbx), %r9\n"
        "    movq 32(%rbx), %r10\n"
        "    movq 40(%rbx), %r11\n"
        "    movdqu 48(%rbx), %xmm0\n"
        "    movdqu 64(%rbx), %xmm1\n"
        "    movdqu 80(%rbx), %xmm2\n"
        "    movdqu 96(%rbx), %xmm3\n"
        "    movdqu 112(%rbx), %xmm4\n"
        "    movdqu 128(%rbx), %xmm5\n"
        "    call __security_check_cookie\n"
        "    movq %rax, 0(%rbx)\n"
        "    movq %rdx, 8(%rbx)\n"
        "    movq %r8, 16(%rbx)\n"
        "    movq %r9, 24(%rbx)\n"
        "    movq %r10, 32(%rbx)\n"
        "    movq %r11, 40(%rbx)\n"
        "    movdqu %xmm0, 48(%rbx)\n"
        "    movdqu %xmm1, 64(%rbx)\n"
        "    movdqu %xmm2, 80(%rbx)\n"
        "    movdqu %xmm3, 96(%rbx)\n"
        "    movdqu %xmm4, 112(%rbx)\n"
        "    movdqu %xmm5, 128(%rbx)\n"
        "    addq $32, %rsp\n"
        "    popq %rbx\n"
        "    ret\n");

namespace {

void print(const char* text) {
    DWORD length = 0, written = 0;
    while (text[length] != '\0') ++length;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, length, &written, nullptr);
}

bool endsWith(const char* text, const char* end) {
    const char* last = text;
    while (*last != '\0') ++last;
    const char* endLast = end;
    while (*endLast != '\0') ++endLast;
    while (last > text && last[-1] == ' ') --last;
    while (endLast > end && last > text && last[-1] == endLast[-1]) --last, --endLast;
    return endLast == end;
}

// A value of its own in each register, both halves of the vectors.
void fillRegisters(VolatileRegisters& registers) {
    for (unsigned i = 0; i < 6; ++i) {
        registers.integer[i] = 0x1111111111111111u * (i + 1);
        registers.vector[i][0] = 0x0101010101010101u * (i + 7);
        registers.vector[i][1] = 0x1010101010101010u * (i + 7);
    }
}

} // namespace

extern "C" void cookieCheckMain() {
    VolatileRegisters sent, back;
    fillRegisters(sent);
    fillRegisters(back);
    const bool mismatch = endsWith(GetCommandLineA(), "--mismatch");
    callCookieCheck(&back, mismatch ? ~__security_cookie : __security_cookie);
    if (mismatch) {
        print("the check returned from a wrong cookie\n");
        ExitProcess(1);
    }
    UINT changed = 0;
    for (unsigned i = 0; i < 12; ++i) {
        const bool same = i < 6 ? back.integer[i] == sent.integer[i]
                                : back.vector[i - 6][0] == sent.vector[i - 6][0] &&
                                      back.vector[i - 6][1] == sent.vector[i - 6][1];
        if (same) continue;
        print(kNames[i]);
        print(" changed by __security_check_cookie\n");
        ++changed;
    }
    if (changed == 0) print("__security_check_cookie kept every volatile register but rcx\n");
    ExitProcess(changed);
}
