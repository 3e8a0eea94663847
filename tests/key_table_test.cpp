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

// Code 255 is one past the table: debug builds check every index, so a
// boundary off by one stops the test rather than touching what follows.
TEST_F(KeyTable, IgnoresKeyCodesFrom255Up) {
    for (DWORD key : {255u, 256u, 0xFFFFFFFFu}) {
        handleKeyboardMessage(key, 1, 0, FALSE, TRUE, TRUE, TRUE);
        EXPECT_FALSE(keyHeld(key));
        EXPECT_FALSE(keyTapped(key));
        clearKeyRecord(key);
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

// Held means pressed less than 5000 ms ago, tapped released less than 100 ms
// ago, measured as elapsed time: near tick 0, across the 2^32 wrap, and with
// a stamp from the "future" (an old stamp the counter has wrapped back to).
TEST_F(KeyTable, HeldAndTappedByElapsedTimeAtAnyTick) {
    struct Case {
        DWORD stamped;
        bool released;
        DWORD tested;
        bool expected;
    };
    const Case cases[] = {
        {10, false, 20, true},
        {10, false, 5009, true},
        {10, false, 5010, false},
        {1, false, 5000, true},
        {1, false, 5001, false},
        {0xFFFFFFFFu - 1000, false, 3998, true},
        {0xFFFFFFFFu - 1000, false, 3999, false},
        {0xFFFFF000u, false, 0xFFFFF000u, true},
        {200, false, 150, false},
        {50, true, 50, true},
        {50, true, 149, true},
        {50, true, 150, false},
        {0xFFFFFFF5u, true, 45, true},
        {0xFFFFFFF5u, true, 89, false},
        {200, true, 150, false},
        {4000, true, 4099, true},
    };
    for (const Case& c : cases) {
        const DWORD key = c.released ? kKeyF9 : kKeyNumpad0;
        sim::setTick(c.stamped);
        c.released ? release(key) : press(key);
        sim::setTick(c.tested);
        EXPECT_EQ(c.released ? keyTapped(key) : keyHeld(key), c.expected)
            << c.stamped << " then " << c.tested;
        EXPECT_FALSE(c.released ? keyHeld(key) : keyTapped(key)) << c.stamped;
        clearKeyRecord(key);
    }
}

} // namespace
