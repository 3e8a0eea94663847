// The state of every key as the keyboard handler last saw it. The handler may
// run on another thread than the script, so each field is an atomic of its
// 32-bit type: same size and layout, and defined behaviour when both touch it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "host/platform.h"

struct KeyRecord {
    std::atomic<std::uint32_t> tick;    // GetTickCount when the key's last message arrived
    std::atomic<std::int32_t> alt;      // that message's Alt flag; stored, never read
    std::atomic<std::int32_t> wasDown;  // that message's previous-state flag; likewise
    std::atomic<std::int32_t> released; // nonzero when that message was a release
};

static_assert(sizeof(KeyRecord) == 16, "four 32-bit fields");
static_assert(std::atomic<std::uint32_t>::is_always_lock_free &&
              std::atomic<std::int32_t>::is_always_lock_free);

constexpr DWORD kHeldFor = 5000;  // a press counts as held this long without a new message
constexpr DWORD kTappedFor = 100; // a release counts as a tap this long

constexpr DWORD kKeyCount = 255;
// A std::array so that debug builds check every index against its size.
extern constinit std::array<KeyRecord, kKeyCount> keyTable;

// Virtual-key codes Drapelle reacts to.
constexpr DWORD kKeyBackspace = 0x08;
constexpr DWORD kKeyNumpad0 = 0x60;
constexpr DWORD kKeyNumpad2 = 0x62;
constexpr DWORD kKeyNumpad5 = 0x65;
constexpr DWORD kKeyNumpad8 = 0x68;
constexpr DWORD kKeyF9 = 0x78;

void handleKeyboardMessage(DWORD key, WORD repeats, BYTE scanCode, BOOL isExtended, BOOL isWithAlt,
                           BOOL wasDownBefore, BOOL isUpNow);
bool keyHeld(DWORD key);
bool keyTapped(DWORD key);
void clearKeyRecord(DWORD key);
