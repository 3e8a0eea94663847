// The twelve component slots of a character, by name and component id, and
// the slot the clothing menu currently works on.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/inline_string.h"

constexpr int kSlotCount = 12;

extern constinit InlineString currentSlotName;
extern const std::string_view slotNames[kSlotCount];
extern const std::int32_t slotIds[kSlotCount];
extern constinit std::int32_t currentSlotId;

// Index of the slot whose name is exactly `name`, or -1.
int findSlot(const InlineString& name);
void resolveSlotId(const InlineString& slotName);
