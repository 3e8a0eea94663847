// The script the host runs on its fiber, and the step every loop of it makes
// once per frame.
#pragma once

#include "host/platform.h"

void runScript();
void frameTick();

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
