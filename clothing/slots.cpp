#include "clothing/slots.h"

// The slot the clothing menu works on; always one of slotNames. Like every
// global of the plug-in, constinit: filled in when the library is mapped,
// with no code run at load, which the DLL's start (DllMain itself) needs.
constinit InlineString currentSlotName{"Face"};
// The slots' names in menu order; entry i is the slot of component slotIds[i].
constexpr std::string_view slotNames[kSlotCount] = {"Face",        "Head",  "Hair",     "Torso",
                                                    "Legs",        "Hands", "Feet",     "Eyes",
                                                    "Accessories", "Tasks", "Textures", "Torso2"};
// Component id of each slot, parallel to slotNames.
constexpr std::int32_t slotIds[kSlotCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
// Component id of the slot last resolved; brought up to date by resolveSlotId.
constinit std::int32_t currentSlotId = 0;

// currentSlotName takes each name whole.
static_assert(fitsInline(slotNames));

// Every entry is visited: the scan does not stop at a match.
int findSlot(const InlineString& name) {
    int found = -1;
    int index = 0;
    for (std::string_view slot : slotNames) {
        if (name == slot) found = index;
        ++index;
    }
    return found;
}

// An unknown name leaves the id as it was.
void resolveSlotId(const InlineString& slotName) {
    const int slot = findSlot(slotName);
    if (slot >= 0) currentSlotId = slotIds[slot];
}
