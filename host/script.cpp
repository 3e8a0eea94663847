#include "host/script.h"

#include "host/natives.h"
#include "host/script_host.h"
#include "input/key_table.h"
#include "ui/menus.h"
#include "ui/status_line.h"

void runScript() {
    for (;;) {
        if (keyTapped(kMenuKey)) runMainMenu();
        frameTick();
        scriptWait(0);
    }
}

// Holds the script, a frame at a time, while the player's character is dead or
// being arrested, so that nothing of Drapelle is drawn or tested meanwhile.
void frameTick() {
    drawStatusLine();
    for (;;) {
        if (!isEntityDead(playerPed()) && !isPlayerBeingArrested(playerIndex(), true)) return;
        scriptWait(0);
    }
}
