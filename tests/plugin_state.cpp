#include "plugin_state.h"

#include "clothing/slots.h"
#include "input/key_table.h"
#include "ui/menus.h"
#include "ui/status_line.h"

void resetPluginState() {
    for (DWORD key = 0; key < kKeyCount; ++key) clearKeyRecord(key);
    statusMessage = "";
    statusUntil = 0;
    statusShown = false;
    currentSlotName = "Face";
    currentSlotId = 0;
    mainMenuIndex = 0;
    clothingMenuIndex = 0;
}
