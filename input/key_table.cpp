#include "input/key_table.h"

// One record per virtual-key code 0..254; all zero until the key's first message.
constinit std::array<KeyRecord, kKeyCount> keyTable;

void handleKeyboardMessage(DWORD key, WORD, BYTE, BOOL, BOOL isWithAlt, BOOL wasDownBefore,
                           BOOL isUpNow) {
    if (key >= kKeyCount) return;
    KeyRecord& record = keyTable[key];
    stampKeyWord(record.message, GetTickCount(), isUpNow != 0);
    record.alt = isWithAlt;
    record.wasDown = wasDownBefore;
}

// A record no message has stamped since load, since it was cleared or since
// its tap was consumed reads neither held nor tapped, whatever the clock says.
bool keyHeld(DWORD key) {
    if (key >= kKeyCount) return false;
    return testKeyWordHeld(keyTable[key].message, GetTickCount);
}

bool keyTapped(DWORD key) {
    if (key >= kKeyCount) return false;
    return takeKeyWordTap(keyTable[key].message, GetTickCount);
}

void clearKeyRecord(DWORD key) {
    if (key >= kKeyCount) return;
    KeyRecord& record = keyTable[key];
    record.message = 0;
    record.alt = 0;
    record.wasDown = 0;
}
