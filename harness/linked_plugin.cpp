#include "harness/linked_plugin.h"

#include "clothing/slots.h"
#include "harness/frame_states.h"
#include "host/script.h"
#include "input/key_table.h"
#include "simhost/simhost.h"
#include "ui/menus.h"
#include "ui/status_line.h"

namespace harness {

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

void useLinkedPlugin() {
    setLoader({[] {
                   resetPluginState();
                   sim::attach(DllMain);
               },
               [] { sim::detach(); }});
}

} // namespace harness
