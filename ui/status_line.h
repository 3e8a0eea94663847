// One short message, centred near the bottom of the screen, drawn for
// kStatusTime after it was given.
#pragma once

#include "host/inline_string.h"
#include "host/platform.h"

constexpr DWORD kStatusTime = 5000; // how long a message stays on screen, ms

extern constinit InlineString statusMessage;
extern constinit DWORD statusUntil;

void showStatus(InlineString text);
void drawStatusLine();
