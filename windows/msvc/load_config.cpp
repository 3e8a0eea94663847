// The DLL's load configuration, which the C runtime would otherwise bring:
// where the loader finds the stack cookie to randomise and the tables and
// pointers of Control Flow Guard. lld-link fills in the tables' symbols
// (__guard_fids_table and the rest) when it links with /guard:cf.

// What an indirect call goes through until Windows, on a system with Control
// Flow Guard, puts its own checks in these pointers. Neither checks anything
// here; both are in the read-only .00cfg section, which only the loader
// writes.
extern "C" void guardCheckNothing(void*) {}
extern "C" void guardDispatchNothing();
#pragma section(".00cfg", read)
extern "C" __declspec(allocate(".00cfg")) void (*const __guard_check_icall_fptr)(void*) =
    guardCheckNothing;
extern "C" __declspec(allocate(".00cfg")) void (*const __guard_dispatch_icall_fptr)() =
    guardDispatchNothing;

// The dispatching form gets its target in rax and jumps there: no prologue,
// so it is written in assembly.
__asm__(".text\n"
        ".globl guardDispatchNothing\n"
        "guardDispatchNothing:\n"
        "    jmp *%rax\n");

// IMAGE_LOAD_CONFIG_DIRECTORY64 up to the EH continuation table, 0x118 bytes,
// in assembly: its counts and flags are linker-defined absolute symbols whose
// addresses are the values (the flags cut to 32 bits), which C++ cannot write
// as constants. Fields not named are zero.
__asm__(".section .rdata,\"dr\"\n"
        ".globl _load_config_used\n"
        ".p2align 3\n"
        "_load_config_used:\n"
        "    .long 0x118\n"                       // 0x00 Size
        "    .zero 0x58 - 4\n"                    // time stamp .. edit list
        "    .quad __security_cookie\n"           // 0x58 SecurityCookie
        "    .quad 0, 0\n"                        // 0x60 SE handlers: x86 only
        "    .quad __guard_check_icall_fptr\n"    // 0x70
        "    .quad __guard_dispatch_icall_fptr\n" // 0x78
        "    .quad __guard_fids_table\n"          // 0x80 GuardCFFunctionTable
        "    .quad __guard_fids_count\n"          // 0x88 GuardCFFunctionCount
        "    .long __guard_flags\n"               // 0x90 GuardFlags
        "    .zero 12\n"                          // 0x94 CodeIntegrity
        "    .quad __guard_iat_table\n"           // 0xA0
        "    .quad __guard_iat_count\n"           // 0xA8
        "    .quad __guard_longjmp_table\n"       // 0xB0
        "    .quad __guard_longjmp_count\n"       // 0xB8
        "    .zero 0x108 - 0xC0\n"                // dynamic relocations .. volatile metadata
        "    .quad __guard_eh_cont_table\n"       // 0x108
        "    .quad __guard_eh_cont_count\n");     // 0x110
