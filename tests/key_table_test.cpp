#include <cstring>

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

#if !defined(__SANITIZE_ADDRESS__) && !defined(__has_feature)
#define DRAPELLE_RAW_MEMORY_TEST 1
#elif defined(__has_feature)
#if !__has_feature(address_sanitizer)
#define DRAPELLE_RAW_MEMORY_TEST 1
#endif
#endif
#ifdef DRAPELLE_RAW_MEMORY_TEST
// Code 255 is one past the table. The 16 bytes after it are dressed as a
// fresh press and then a fresh release: nothing may read them as key 255's
// record, nor write them. (AddressSanitizer builds catch such an access by
// themselves and would stop this deliberate look past the array.)
TEST_F(KeyTable, NothingReadsOrWritesPastTheTable) {
    // Through an integer the compiler cannot follow, so that it does not
    // reason about an address past the array.
    volatile std::uintptr_t address = reinterpret_cast<std::uintptr_t>(keyTable) + sizeof keyTable;
    unsigned char* after = reinterpret_cast<unsigned char*>(address);
    unsigned char saved[sizeof(KeyRecord)];
    std::memcpy(saved, after, sizeof saved);
    for (std::int32_t released : {0, 1}) {
        const std::int32_t dressed[4] = {static_cast<std::int32_t>(sim::now()), 0, 0, released};
        std::memcpy(after, dressed, sizeof dressed);
        EXPECT_FALSE(keyHeld(255));
        EXPECT_FALSE(keyTapped(255));
        clearKeyRecord(255);
        sim::advance(7);
        handleKeyboardMessage(255, 1, 0, FALSE, TRUE, TRUE, TRUE);
        EXPECT_EQ(std::memcmp(after, dressed, sizeof dressed), 0) << "written past the table";
    }
    std::memcpy(after, saved, sizeof saved);
}
#endif

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
