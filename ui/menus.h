// The two modal menus: "Drapelle" and its sub-menu "Clothing Menu".
#pragma once

#include <cstdint>

extern std::int32_t mainMenuIndex;
extern std::int32_t clothingMenuIndex;

// How many rows each menu has, from its table of rows.
extern const std::int32_t kMainMenuRows;
extern const std::int32_t kClothingMenuRows;

void runMainMenu();
void runClothingMenu();
