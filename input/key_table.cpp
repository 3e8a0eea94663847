#include "input/key_table.h"

// One record per virtual-key code 0..254; all zero until the key's first message.
constinit std::array<KeyRecord, kKeyCount> keyTable;

// A message is as old as the tick read here and takes effect at one instant
// between this read and the store: a release whose thread stalls between them
// past kTappedFor may land too old to read as a tap.
void handleKeyboardMessage(DWORD key, WORD, BYTE, BOOL, BOOL isWithAlt, BOOL wasDownBefore,
                           BOOL isUpNow) {
    if (key >= kKeyCount) return;
    KeyRecord& record = keyTable[key];
    stampKeyWord(record.message, GetTickCount(), isUpNow != 0);
    record.alt = isWithAlt;
    record.wasDown = wasDownBefore;
}

namespace {
// A key's word, and in `now` the clock, at one instant, so that a test
// answers for one state of the key whatever the handler writes meanwhile,
// with no wait. The test read the word, `before`, ahead of the clock, and
// reads it again after. Read the same both times, it stood when the clock was
// read (or a message of the same tick and kind stamped it anew, and the
// answer is that of an instant before or after: an answer changes once as a
// word ages). Read differently, a message landed between the reads, and the
// answer is that of the later of the clock's read and the message's tick: an
// instant when the message stood, or one between its handler's clock read
// and its store (the tick alone may be older than the test, when the handler
// stalled before it began).
std::uint64_t keyWordNow(const KeyWord& word, std::uint64_t before, DWORD& now) {
    now = GetTickCount();
    const std::uint64_t after = word.load();
    if (after != before && !elapsedBelowAt(keyWordTick(after), now, 0x80000000u))
        now = keyWordTick(after); // stamped after the clock's read, less than 2^31 ms after
    return after;
}
} // namespace

// A record no message has stamped since load, since it was cleared or since
// its tap was consumed reads neither held nor tapped, whatever the clock says.
// The clock is read only when the word could answer yes, a stamped press for
// held and a release for a tap; otherwise the answer is that of that read.
bool keyHeld(DWORD key) {
    if (key >= kKeyCount) return false;
    const KeyWord& message = keyTable[key].message;
    const std::uint64_t before = message.load();
    if (!keyWordPressed(before)) return false;
    DWORD now;
    const std::uint64_t word = keyWordNow(message, before, now);
    return keyWordPressed(word) && elapsedBelowAt(keyWordTick(word), now, kHeldFor);
}

// A tap is consumed from the very word that showed it (only a stamped word
// holds a release). When the exchange fails a newer message landed after the
// word was read, and that message stands: the answer is that of the instant
// read, followed by the new message. A newer message equal to the one read is
// consumed in its place, which no later test can tell apart.
bool keyTapped(DWORD key) {
    if (key >= kKeyCount) return false;
    KeyWord& message = keyTable[key].message;
    const std::uint64_t before = message.load();
    if (!keyWordReleased(before)) return false;
    DWORD now;
    std::uint64_t word = keyWordNow(message, before, now);
    if (!keyWordReleased(word) || !elapsedBelowAt(keyWordTick(word), now, kTappedFor)) return false;
    message.compare_exchange_strong(word, 0);
    return true;
}

void clearKeyRecord(DWORD key) {
    if (key >= kKeyCount) return;
    KeyRecord& record = keyTable[key];
    record.message.store(0);
    record.alt = 0;
    record.wasDown = 0;
}
