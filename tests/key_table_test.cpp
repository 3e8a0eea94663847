#include "plugin_fixture.h"

namespace {

using KeyTable = HostTest;

void press(DWORD key) { handleKeyboardMessage(key, 1, 0, FALSE, FALSE, FALSE, FALSE); }
void release(DWORD key) { handleKeyboardMessage(key, 1, 0, FALSE, FALSE, TRUE, TRUE); }

TEST_F(KeyTable, StoresEveryFieldOfTheMessage) {
    sim::setTick(777);
    handleKeyboardMessage(kKeyNumpad5, 3, 0x4C, TRUE, TRUE, TRUE, FALSE);
    const KeyRecord& record = keyTable[kKeyNumpad5];
    EXPECT_EQ(record.tick, 777u);
    EXPECT_EQ(record.alt, 1);
    EXPECT_EQ(record.wasDown, 1);
    EXPECT_EQ(record.released, 0);
}

TEST_F(KeyTable, IgnoresKeyCodesFrom255Up) {
    for (DWORD key : {255u, 256u, 0xFFFFFFFFu}) {
        handleKeyboardMessage(key, 1, 0, FALSE, TRUE, TRUE, TRUE);
        EXPECT_FALSE(keyHeld(key));
        EXPECT_FALSE(keyTapped(key));
    }
    for (const KeyRecord& record : keyTable) {
        EXPECT_EQ(record.tick + record.alt + record.wasDown + record.released, 0u);
    }
}

TEST_F(KeyTable, PressReadsHeldFor5000MsAfterItsLastMessage) {
    press(kKeyNumpad8);
    sim::advance(4000);
    press(kKeyNumpad8); // auto-repeat renews the stamp
    sim::advance(4999);
    EXPECT_TRUE(keyHeld(kKeyNumpad8));
    sim::advance(1);
    EXPECT_FALSE(keyHeld(kKeyNumpad8)); // the key may still be down: its news is too old
    EXPECT_FALSE(keyTapped(kKeyNumpad8));
}

TEST_F(KeyTable, ReleaseReadsTappedOnceWithin100Ms) {
    press(kKeyF9);
    sim::advance(30);
    release(kKeyF9);
    EXPECT_FALSE(keyHeld(kKeyF9));
    sim::advance(99);
    EXPECT_TRUE(keyTapped(kKeyF9));
    EXPECT_FALSE(keyTapped(kKeyF9)); // the first test consumed it

    release(kKeyF9);
    sim::advance(100);
    EXPECT_FALSE(keyTapped(kKeyF9));
}

// A record nothing has stamped reads neither held nor tapped, whatever the
// clock says: not at tick 0..4999, not after a wrap.
TEST_F(KeyTable, EmptyRecordIsNeverHeldOrTapped) {
    for (DWORD tick : {0u, 1u, 4999u, 0xFFFFFFFFu, 0xFFFFFF00u}) {
        sim::setTick(tick);
        EXPECT_FALSE(keyHeld(kKeyNumpad2)) << tick;
        EXPECT_FALSE(keyTapped(kKeyNumpad2)) << tick;
    }
    press(kKeyNumpad2);
    release(kKeyNumpad2);
    EXPECT_TRUE(keyTapped(kKeyNumpad2));
    sim::setTick(3);
    EXPECT_FALSE(keyHeld(kKeyNumpad2)) << "a consumed tap leaves an empty record";
}

// Stamps taken just before the counter wraps keep their meaning across it:
// held for the full 5000 ms, tapped for the full 100 ms, and no older.
TEST_F(KeyTable, TimesCountAcrossTheTickWrap) {
    sim::setTick(0xFFFFFFFFu - 1000);
    press(kKeyNumpad0);
    sim::advance(1000);
    EXPECT_TRUE(keyHeld(kKeyNumpad0));
    sim::advance(3999); // now 3998 after the wrap, 4999 ms after the press
    EXPECT_TRUE(keyHeld(kKeyNumpad0));
    sim::advance(1);
    EXPECT_FALSE(keyHeld(kKeyNumpad0));

    sim::setTick(0xFFFFFFFFu - 10);
    release(kKeyF9);
    sim::advance(50);
    EXPECT_TRUE(keyTapped(kKeyF9));

    // An old release must not come back as a fresh tap once the counter wraps
    // round to the stamp's neighbourhood.
    sim::setTick(200);
    release(kKeyF9);
    sim::setTick(150);
    EXPECT_FALSE(keyTapped(kKeyF9));
}

} // namespace
