#include "input/key_table.h"

#include "host/ticks.h"

// One record per virtual-key code 0..254; all zero until the key's first message.
constinit std::array<KeyRecord, kKeyCount> keyTable;

// A record no message has stamped since load, since it was cleared or since
// its release was consumed: it must not read as held, whatever the clock says. A release
// stamped at tick 0 still reads as one; a press at tick 0 reads as empty
// until the key's next message renews it.
static bool isRecordEmpty(std::uint32_t tick, std::int32_t released) {
    return tick == 0 && released == 0;
}

// Empties the record of the release a test saw, and only of it. The handler
// writes a message's tick first, so a message stamped since the test renewed
// the tick and the compare-exchange leaves the record to it. Only a message
// written whole between the two exchanges is lost, a release made a press:
// no lock-free pair of 32-bit exchanges can close that, and of the keys
// tapped, F9, a press is never read.
static void consumeRelease(KeyRecord& record, std::uint32_t tick, std::int32_t released) {
    if (!record.tick.compare_exchange_strong(tick, 0)) return;
    record.released.compare_exchange_strong(released, 0);
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

// Each test loads each field once, so that its answer is that of one state of
// the record, whatever the handler writes meanwhile.
bool keyHeld(DWORD key) {
    if (key >= kKeyCount) return false;
    const KeyRecord& record = keyTable[key];
    const std::uint32_t tick = record.tick;
    const std::int32_t released = record.released;
    if (isRecordEmpty(tick, released)) return false;
    return elapsedBelow(tick, kHeldFor) && released == 0;
}

bool keyTapped(DWORD key) {
    if (key >= kKeyCount) return false;
    KeyRecord& record = keyTable[key];
    const std::uint32_t tick = record.tick;
    const std::int32_t released = record.released;
    if (!elapsedBelow(tick, kTappedFor) || released == 0) return false;
    consumeRelease(record, tick, released);
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
