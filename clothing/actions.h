// What the clothing menu's rows do to the player's character.
#pragma once

#include <cstdint>

#include "host/inline_string.h"
#include "host/platform.h"

void showSlotData(std::int32_t ped, InlineString slotName);
void nextDrawable(std::int32_t ped, InlineString slotName);
void nextTexture(std::int32_t ped, InlineString slotName);
void nextSlot();
void restoreDefaultLook(std::int32_t ped);
std::int32_t callNative5(UINT64 hash, std::int32_t a, std::int32_t b, std::int32_t c,
                         std::int32_t d);
