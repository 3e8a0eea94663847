// Puts the plug-in's statics back to their initial values, as a fresh load of
// the library would: the plug-in is linked into the test programs, so a
// "reload" in-process needs this by hand.
#pragma once

#include "clothing/slots.h"
#include "input/key_table.h"
#include "ui/menus.h"
#include "ui/status_line.h"

// The status line's own flag, which only its file uses: declared here for the tests.
extern bool statusShown;

inline void resetPluginState() {
    for (DWORD key = 0; key < kKeyCount; ++key) clearKeyRecord(key);
    statusMessage = "";
    statusUntil = 0;
    statusShown = false;
    currentSlotName = "Face";
    currentSlotId = 0;
    mainMenuIndex = 0;
    clothingMenuIndex = 0;
}
