// The state of every key as the keyboard handler last saw it. The handler may
// run on another thread than the script, so each field is atomic: the last
// message's tick and kind share one word (input/key_word.h), which the handler
// writes and a test reads in one step.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "host/platform.h"
#include "input/key_word.h"

// The interleaving check (tests/key_interleavings_test.cpp) builds
// key_table.cpp over a word of its own, one that lets another thread run at
// each load and store.
#ifdef DRAPELLE_KEY_WORD
using KeyWord = DRAPELLE_KEY_WORD;
#else
using KeyWord = std::atomic<std::uint64_t>;
#endif

struct KeyRecord {
    KeyWord message;                   // the last message's tick and kind, 0 until one comes
    std::atomic<std::int32_t> alt;     // that message's Alt flag; stored, never read
    std::atomic<std::int32_t> wasDown; // that message's previous-state flag; likewise
};

static_assert(sizeof(KeyRecord) == 16, "a 64-bit word and two 32-bit flags");
static_assert(std::atomic<std::uint64_t>::is_always_lock_free &&
              std::atomic<std::int32_t>::is_always_lock_free);

constexpr DWORD kKeyCount = 255;
// A std::array so that debug builds check every index against its size.
extern constinit std::array<KeyRecord, kKeyCount> keyTable;

// Virtual-key codes Drapelle reacts to.
constexpr DWORD kKeyBackspace = 0x08;
constexpr DWORD kKeyNumpad0 = 0x60;
constexpr DWORD kKeyNumpad2 = 0x62;
constexpr DWORD kKeyNumpad5 = 0x65;
constexpr DWORD kKeyNumpad8 = 0x68;
constexpr DWORD kMenuKey = 0x78; // F9; its names in harness/key_names.cpp

void handleKeyboardMessage(DWORD key, WORD repeats, BYTE scanCode, BOOL isExtended, BOOL isWithAlt,
                           BOOL wasDownBefore, BOOL isUpNow);
bool keyHeld(DWORD key);
bool keyTapped(DWORD key);
void clearKeyRecord(DWORD key);
