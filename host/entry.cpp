#include "host/script.h"
#include "host/script_host.h"
#include "input/key_table.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        scriptRegister(module, runScript);
        keyboardHandlerRegister(handleKeyboardMessage);
    } else if (reason == DLL_PROCESS_DETACH) {
        scriptUnregister(module);
        keyboardHandlerUnregister(handleKeyboardMessage);
    }
    return TRUE;
}
