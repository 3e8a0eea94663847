// The DLL's entry point: what the C runtime's start-up would do before
// DllMain, for a DLL built without it. Built without stack protection and
// outside the optimisation across files, so that no protected code is folded
// into the function that sets the cookie.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
void setStackCookie();

extern "C" BOOL WINAPI startDll(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) setStackCookie();
    return DllMain(module, reason, reserved);
}
