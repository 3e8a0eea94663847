#include "input/key_table.h"
#include "plugin_fixture.h"

namespace {

using KeyTable = HostTest;

void press(DWORD key) { handleKeyboardMessage(key, 1, 0, FALSE, FALSE, FALSE, FALSE); }
void release(DWORD key) { handleKeyboardMessage(key, 1, 0, FALSE, FALSE, TRUE, TRUE); }

// Each of Drapelle's keys (harness/key_names.cpp, with the plug-in's codes) has
// the code Windows gives its name: F1 up from 0x70, numpad 0 up from 0x60.
TEST(KeyCodes, AreWindowsVirtualKeyCodes) {
    for (const harness::NamedKey& key : harness::kDrapelleKeys) {
        const std::string name = key.name;
        const DWORD windows = name[0] == 'F'                  ? 0x6F + std::stoul(name.substr(1))
                              : name.rfind("numpad ", 0) == 0 ? 0x60 + std::stoul(name.substr(7))
                              : name == "Backspace"           ? 0x08
                                                              : 0;
        EXPECT_EQ(key.code, windows) << name << "'s code in the key table";
    }
}

TEST_F(KeyTable, StoresEveryFieldOfTheMessage) {
    sim::setTick(777);
    handleKeyboardMessage(kKeyNumpad5, 3, 0x4C, TRUE, TRUE, TRUE, FALSE);
    const KeyRecord& record = keyTable[kKeyNumpad5];
    EXPECT_EQ(record.message, packKeyWord(777, false)) << "a press stamped at the message's tick";
    EXPECT_EQ(record.alt, 1) << "the record's Alt flag";
    EXPECT_EQ(record.wasDown, 1) << "the record's previous-state flag";
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
        EXPECT_EQ(record.message + record.alt + record.wasDown, 0u)
            << "a record left stamped after every key was cleared: key "
            << &record - keyTable.data();
    }
}

// The design's times come from their constants, kHeldFor and kTappedFor: a
// test here restates none, so that only the test pinning the design's times
// fails when one is changed on purpose.

TEST_F(KeyTable, PressReadsHeldForItsTimeAfterItsLastMessage) {
    press(kKeyNumpad8);
    sim::advance(kHeldFor - 1000);
    press(kKeyNumpad8); // auto-repeat renews the stamp
    sim::advance(kHeldFor - 1);
    EXPECT_TRUE(keyHeld(kKeyNumpad8)) << "the last millisecond of kHeldFor after the repeat";
    sim::advance(1);
    // The key may still be down: its news is too old.
    EXPECT_FALSE(keyHeld(kKeyNumpad8)) << "kHeldFor (" << kHeldFor << " ms) after the repeat";
    EXPECT_FALSE(keyTapped(kKeyNumpad8));
}

TEST_F(KeyTable, ReleaseReadsTappedOnceWithinItsTime) {
    press(kMenuKey);
    sim::advance(30);
    release(kMenuKey);
    EXPECT_FALSE(keyHeld(kMenuKey));
    sim::advance(kTappedFor - 1);
    EXPECT_TRUE(keyTapped(kMenuKey)) << "the last millisecond of kTappedFor after the release";
    EXPECT_FALSE(keyTapped(kMenuKey)) << "the first test consumed it";

    release(kMenuKey);
    sim::advance(kTappedFor);
    EXPECT_FALSE(keyTapped(kMenuKey)) << "kTappedFor (" << kTappedFor << " ms) after the release";
}

// A record nothing has stamped reads neither held nor tapped, whatever the
// clock says: not within kHeldFor of tick 0, not after a wrap.
TEST_F(KeyTable, EmptyRecordIsNeverHeldOrTapped) {
    for (const DWORD tick :
         std::initializer_list<DWORD>{0, 1, kHeldFor - 1, 0xFFFFFFFF, 0xFFFFFF00}) {
        sim::setTick(tick);
        EXPECT_FALSE(keyHeld(kKeyNumpad2)) << "an empty record read as held at tick " << tick;
        EXPECT_FALSE(keyTapped(kKeyNumpad2)) << "an empty record read as tapped at tick " << tick;
    }
    sim::setTick(0);
    press(kKeyNumpad2);
    EXPECT_TRUE(keyHeld(kKeyNumpad2)) << "a press stamped at tick 0 is a press";
    release(kKeyNumpad2);
    EXPECT_TRUE(keyTapped(kKeyNumpad2));
    sim::setTick(3);
    EXPECT_FALSE(keyHeld(kKeyNumpad2) || keyTapped(kKeyNumpad2))
        << "a consumed tap leaves an empty record";
}

// A message that lands while a key is tested, between the test's reads of
// the record, is what the test answers for: a press landing while a release
// is tested for a tap leaves no tap, and the key held.
TEST_F(KeyTable, TestAnswersForAMessageThatLandsWhileItReads) {
    sim::attach(DllMain); // the host delivers through the registered handler
    release(kMenuKey);
    sim::advance(10);
    sim::deliverKeyMessageOnClockRead({.key = kMenuKey});
    EXPECT_FALSE(keyTapped(kMenuKey))
        << "a tap read though a press landed while the release was read";
    EXPECT_TRUE(keyHeld(kMenuKey)) << "the press that landed";
}

// Held means pressed less than kHeldFor ago, tapped released less than
// kTappedFor ago, measured as elapsed time: near tick 0, across the 2^32 wrap, and with
// a stamp from the "future" (an old stamp the counter has wrapped back to).
TEST_F(KeyTable, HeldAndTappedByElapsedTimeAtAnyTick) {
    struct Case {
        DWORD stamped;
        bool released;
        DWORD tested;
        bool expected;
    };
    constexpr DWORD kBeforeWrap = 0xFFFFFFFFu - 1000; // 1001 ms before the counter wraps
    constexpr DWORD kJustBeforeWrap = 0xFFFFFFF5u;    // 11 ms before it
    const Case cases[] = {
        {10, false, 20, true},
        {10, false, 10 + kHeldFor - 1, true},
        {10, false, 10 + kHeldFor, false},
        {1, false, kHeldFor, true},
        {1, false, kHeldFor + 1, false},
        {kBeforeWrap, false, kHeldFor - 1002, true},
        {kBeforeWrap, false, kHeldFor - 1001, false},
        {0xFFFFF000u, false, 0xFFFFF000u, true},
        {200, false, 150, false},
        {50, true, 50, true},
        {50, true, 50 + kTappedFor - 1, true},
        {50, true, 50 + kTappedFor, false},
        {kJustBeforeWrap, true, kTappedFor - 55, true},
        {kJustBeforeWrap, true, kTappedFor - 11, false},
        {200, true, 150, false},
        {4000, true, 4000 + kTappedFor - 1, true},
    };
    for (const Case& c : cases) {
        const DWORD key = c.released ? kMenuKey : kKeyNumpad0;
        sim::setTick(c.stamped);
        c.released ? release(key) : press(key);
        sim::setTick(c.tested);
        const char* const test = c.released ? "tapped" : "held";
        EXPECT_EQ(c.released ? keyTapped(key) : keyHeld(key), c.expected)
            << "a " << (c.released ? "release" : "press") << " stamped at tick " << c.stamped
            << ", tested at tick " << c.tested << ", should " << (c.expected ? "" : "not ")
            << "read " << test << " (kHeldFor " << kHeldFor << " ms, kTappedFor " << kTappedFor
            << " ms)";
        EXPECT_FALSE(c.released ? keyHeld(key) : keyTapped(key))
            << "a " << (c.released ? "release read held" : "press read tapped")
            << ", stamped at tick " << c.stamped;
        clearKeyRecord(key);
    }
}

} // namespace
