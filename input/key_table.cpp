#include "input/key_table.h"

#include "host/ticks.h"

// One record per virtual-key code 0..254; all zero until the key's first message.
constinit std::array<KeyRecord, kKeyCount> keyTable;

// A record no message has stamped since load or since it was cleared: it must
// not read as held, whatever the clock says.
static bool isRecordEmpty(const KeyRecord& record) {
    return record.tick == 0 && record.alt == 0 && record.wasDown == 0 && record.released == 0;
}

void handleKeyboardMessage(DWORD key, WORD, BYTE, BOOL, BOOL isWithAlt, BOOL wasDownBefore,
                           BOOL isUpNow) {
    if (key >= kKeyCount) return;
    KeyRecord& record = keyTable[key];
    record.tick = GetTickCount();
    record.alt = isWithAlt;
    record.wasDown = wasDownBefore;
    record.released = isUpNow;
}

bool keyHeld(DWORD key) {
    if (key >= kKeyCount) return false;
    const KeyRecord& record = keyTable[key];
    if (isRecordEmpty(record)) return false;
    return elapsedBelow(record.tick, kHeldFor) && record.released == 0;
}

bool keyTapped(DWORD key) {
    if (key >= kKeyCount) return false;
    KeyRecord& record = keyTable[key];
    if (!elapsedBelow(record.tick, kTappedFor) || record.released == 0) return false;
    clearKeyRecord(key);
    return true;
}

void clearKeyRecord(DWORD key) {
    if (key >= kKeyCount) return;
    KeyRecord& record = keyTable[key];
    record.tick = 0;
    record.alt = 0;
    record.wasDown = 0;
    record.released = 0;
}
