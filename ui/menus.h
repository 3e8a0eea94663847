// The two modal menus: "Drapelle" and its sub-menu "Clothing Menu".
#pragma once

#include <cstdint>
#include <iterator>
#include <string_view>

#include "host/platform.h"

constexpr DWORD kMoveWait = 150;   // ms of drawing after opening or a move
constexpr DWORD kSelectWait = 200; // ms of drawing after a select

extern constinit std::int32_t mainMenuIndex;
extern constinit std::int32_t clothingMenuIndex;

// Each menu's rows, top to bottom, and how many: a menu has as many rows as
// its table. Here rather than in menus.cpp so that the programs which load
// the players' DLL, and link none of the plug-in, count them too.
inline constexpr std::string_view kMainRows[] = {"Skin/Clothing Change", "Close Menu"};
// A new row: its caption here and its case in selectClothingRow (the rest:
// docs/changing-drapelle.md).
inline constexpr std::string_view kClothingRows[] = {
    "Show Player Clothing Data",
    "Switch Player Clothing Data",
    "Skin/Clothing Change",
    "Skin/Clothing Texture Change",
    "Default Skin",
};
inline constexpr std::int32_t kMainMenuRows = std::size(kMainRows);
inline constexpr std::int32_t kClothingMenuRows = std::size(kClothingRows);

void runMainMenu();
void runClothingMenu();
