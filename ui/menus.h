// The two modal menus: "Drapelle" and its sub-menu "Clothing Menu".
#pragma once

#include <cstdint>

#include "host/platform.h"

constexpr DWORD kMoveWait = 150;   // ms of drawing after opening or a move
constexpr DWORD kSelectWait = 200; // ms of drawing after a select

extern std::int32_t mainMenuIndex;
extern std::int32_t clothingMenuIndex;

// How many rows each menu has, from its table of rows.
extern const std::int32_t kMainMenuRows;
extern const std::int32_t kClothingMenuRows;

void runMainMenu();
void runClothingMenu();
