// The two modal menus: "Drapelle" and its sub-menu "Clothing Menu".
#pragma once

#include <cstdint>
#include <string_view>

#include "host/platform.h"

constexpr DWORD kMoveWait = 150;   // ms of drawing after opening or a move
constexpr DWORD kSelectWait = 200; // ms of drawing after a select

extern constinit std::int32_t mainMenuIndex;
extern constinit std::int32_t clothingMenuIndex;

// Each menu's rows, top to bottom, and how many: a menu has as many rows as
// its table.
extern const std::string_view kMainRows[];
extern const std::string_view kClothingRows[];
extern const std::int32_t kMainMenuRows;
extern const std::int32_t kClothingMenuRows;

void runMainMenu();
void runClothingMenu();
