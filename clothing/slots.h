// The twelve component slots of a character, by name and component id, and
// the slot the clothing menu currently works on.
#pragma once

#include <cstdint>
#include <string>

constexpr int kSlotCount = 12;

extern std::string currentSlotName;
extern std::string slotNames[kSlotCount];
extern const std::int32_t slotIds[kSlotCount];
extern std::int32_t currentSlotId;

// Index of the slot whose name is exactly `name`, or -1.
int findSlot(const std::string& name);
void resolveSlotId(const std::string& slotName);
