// The two modal menus: "Drapelle" and its sub-menu "Clothing Menu".
#pragma once

#include <cstdint>

extern std::int32_t mainMenuIndex;
extern std::int32_t clothingMenuIndex;

void runMainMenu();
void runClothingMenu();
