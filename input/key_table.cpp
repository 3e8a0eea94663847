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
// The clock is read after the word: a message stamped between the two is then
// never younger than the clock.
bool keyHeld(DWORD key) {
    if (key >= kKeyCount) return false;
    const std::uint64_t word = keyTable[key].message.load();
    return keyWordStamped(word) && !keyWordReleased(word) &&
           elapsedBelowAt(keyWordTick(word), GetTickCount(), kHeldFor);
}

// A tap is consumed from the very word that showed it (only a stamped word
// holds a release). When the exchange fails a newer message landed after the
// read, and that message stands: the answer is that of the instant of the
// read, followed by the new message. A newer message equal to the one read is
// consumed in its place, which no later test can tell apart.
bool keyTapped(DWORD key) {
    if (key >= kKeyCount) return false;
    std::uint64_t word = keyTable[key].message.load();
    if (!keyWordReleased(word)) return false;
    if (!elapsedBelowAt(keyWordTick(word), GetTickCount(), kTappedFor)) return false;
    keyTable[key].message.compare_exchange_strong(word, 0);
    return true;
}

void clearKeyRecord(DWORD key) {
    if (key >= kKeyCount) return;
    KeyRecord& record = keyTable[key];
    record.message.store(0);
    record.alt = 0;
    record.wasDown = 0;
}
