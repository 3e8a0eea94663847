#include "ui/menus.h"

#include "clothing/actions.h"
#include "clothing/slots.h"
#include "host/natives.h"
#include "host/script.h"
#include "host/script_host.h"
#include "host/ticks.h"
#include "input/key_table.h"
#include "ui/menu_row.h"

// Highlighted row of the top-level menu, an index into kMainRows; kept across openings.
constinit std::int32_t mainMenuIndex = 0;
// Highlighted row of the clothing menu, an index into kClothingRows; kept across openings.
constinit std::int32_t clothingMenuIndex = 0;

// Each caption is copied whole into the row that draws it.
static_assert(fitsInline(kMainRows) && fitsInline(kClothingRows));

namespace {

// One frame of a menu: the title, the other rows in order, the highlighted one
// last so that its larger box lies on top; then the frame's step and the wait
// that lets the game show it.
void runMenuFrame(const InlineString& title, const std::string_view rows[], std::int32_t rowCount,
                  std::int32_t index) {
    drawMenuRow(title, 250.0f, 15.0f, 18.0f, 5.0f, false, true);
    for (std::int32_t i = 0; i < rowCount; ++i) {
        if (i == index) continue;
        drawMenuRow(InlineString(rows[i]), 250.0f, 9.0f, 60.0f + 36.0f * static_cast<float>(i),
                    9.0f, false, false);
    }
    drawMenuRow(InlineString(rows[index]), 251.0f, 11.0f, 56.0f + 36.0f * static_cast<float>(index),
                7.0f, true, false);
    frameTick();
    scriptWait(0);
}

// Runs a menu until it closes. `selectRow` acts on a row and says whether the
// menu stays open.
void runMenu(const InlineString& titleText, const std::string_view rows[], std::int32_t rowCount,
             std::int32_t& index, bool (*selectRow)(std::int32_t row)) {
    const InlineString title = titleText;
    DWORD wait = kMoveWait;
    for (;;) {
        const DWORD start = GetTickCount();
        do runMenuFrame(title, rows, rowCount, index);
        while (elapsedBelow(start, wait));

        const bool select = keyHeld(kKeyNumpad5);
        const bool back = keyHeld(kKeyNumpad0) || keyHeld(kKeyBackspace) || keyTapped(kMenuKey);
        const bool up = keyHeld(kKeyNumpad8);
        const bool down = keyHeld(kKeyNumpad2);

        if (select) {
            if (!selectRow(index)) return;
            wait = kSelectWait;
        } else if (back) {
            return;
        } else if (up) {
            index = index == 0 ? rowCount - 1 : index - 1;
            wait = kMoveWait;
        } else if (down) {
            index = index == rowCount - 1 ? 0 : index + 1;
            wait = kMoveWait;
        } else {
            wait = 0;
        }
    }
}

bool selectMainRow(std::int32_t row) {
    if (row == 1) return false;
    runClothingMenu();
    return true;
}

// Each action gets its own copy of the slot name and a freshly read ped.
void showCurrentSlot() {
    const InlineString name = currentSlotName;
    const std::int32_t ped = playerPed();
    showSlotData(ped, name);
}

void stepCurrentSlot(void (*step)(std::int32_t, InlineString)) {
    const InlineString name = currentSlotName;
    const std::int32_t ped = playerPed();
    step(ped, name);
    showCurrentSlot();
}

bool selectClothingRow(std::int32_t row) {
    switch (row) {
    case 0:
        showCurrentSlot();
        break;
    case 1:
        nextSlot();
        break;
    case 2:
        stepCurrentSlot(nextDrawable);
        break;
    case 3:
        stepCurrentSlot(nextTexture);
        break;
    case 4:
        restoreDefaultLook(playerPed());
        break;
    }
    return true;
}

} // namespace

void runMainMenu() { runMenu("Drapelle", kMainRows, kMainMenuRows, mainMenuIndex, selectMainRow); }

void runClothingMenu() {
    runMenu("Clothing Menu", kClothingRows, kClothingMenuRows, clothingMenuIndex,
            selectClothingRow);
}
