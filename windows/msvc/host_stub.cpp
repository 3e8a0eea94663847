// The host library's eight functions, defined empty only so that the
// compiler decorates them: the import library Drapelle links is made from
// this object's names, so they are the names this compiler gives the
// declarations in host/script_host.h, never names typed by hand.
#include "host/script_host.h"

void scriptRegister(HINSTANCE, ScriptMain) {}
void scriptUnregister(HINSTANCE) {}
void keyboardHandlerRegister(KeyboardHandler) {}
void keyboardHandlerUnregister(KeyboardHandler) {}
void scriptWait(DWORD) {}
void nativeInit(UINT64) {}
void nativePush64(UINT64) {}
UINT64* nativeCall() { return nullptr; }
