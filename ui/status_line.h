// One short message shown centred near the bottom of the screen for 5000 ms.
#pragma once

#include <string>

#include "host/platform.h"

extern std::string statusMessage;
extern DWORD statusUntil;
extern bool statusShown;

void showStatus(std::string text);
void drawStatusLine();
