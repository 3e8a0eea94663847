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
