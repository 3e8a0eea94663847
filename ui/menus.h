// The two modal menus: "Drapelle" and its sub-menu "Clothing Menu".
#pragma once

#include <cstdint>

#include "host/inline_string.h"
#include "host/platform.h"

constexpr DWORD kMoveWait = 150;   // ms of drawing after opening or a move
constexpr DWORD kSelectWait = 200; // ms of drawing after a select

extern constinit std::int32_t mainMenuIndex;
extern constinit std::int32_t clothingMenuIndex;

// Each menu's rows, top to bottom, and how many: a menu has as many rows as
// its table.
extern const InlineString kMainRows[];
extern const InlineString kClothingRows[];
extern const std::int32_t kMainMenuRows;
extern const std::int32_t kClothingMenuRows;

void runMainMenu();
void runClothingMenu();
