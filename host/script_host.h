// The eight functions the script host library exports. Their parameter types
// are part of the exported (decorated) names, so they stay exactly as here.
#pragma once

#include "host/platform.h"

using ScriptMain = void (*)();
using KeyboardHandler = void (*)(DWORD key, WORD repeats, BYTE scanCode, BOOL isExtended,
                                 BOOL isWithAlt, BOOL wasDownBefore, BOOL isUpNow);

void scriptRegister(HINSTANCE module, ScriptMain scriptMain);
void scriptUnregister(HINSTANCE module);
void keyboardHandlerRegister(KeyboardHandler handler);
void keyboardHandlerUnregister(KeyboardHandler handler);
void scriptWait(DWORD milliseconds);
void nativeInit(UINT64 hash);
void nativePush64(UINT64 value);
UINT64* nativeCall();
