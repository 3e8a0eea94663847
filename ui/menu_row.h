// One row of an on-screen menu: its caption and the box behind it. Layout
// values are pixels of the actual screen.
#pragma once

#include <cstdint>

#include "host/inline_string.h"

void drawMenuRow(InlineString rowText, float rowWidth, float rowInset, float rowTop,
                 float rowTextLeft, std::uint8_t isActive, std::uint8_t isTitle);
