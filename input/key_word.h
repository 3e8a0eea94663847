// A key's last message packed in one 64-bit word: its tick in the low 32
// bits, a bit for a release and a bit saying that a message stamped the word
// at all. The handler writes the word in one store, so that any load of it
// gives the tick and the kind of one message (a key test loads it twice:
// input/key_table.cpp).
#pragma once

#include <cstdint>

#include "host/ticks.h"

constexpr DWORD kHeldFor = 5000;  // a press counts as held this long without a new message
constexpr DWORD kTappedFor = 100; // a release counts as a tap this long

constexpr std::uint64_t kKeyWordReleased = std::uint64_t{1} << 32; // the message was a release
constexpr std::uint64_t kKeyWordStamped = std::uint64_t{1} << 33;  // a message wrote the word

constexpr std::uint64_t packKeyWord(std::uint32_t tick, bool released) {
    return kKeyWordStamped | (released ? kKeyWordReleased : 0) | tick;
}
static_assert(packKeyWord(0xFFFFFFFF, true) == (std::uint64_t{1} << 34) - 1,
              "the tick, the released bit and the stamped bit fill bits 0 to 33 and no more");
constexpr std::uint32_t keyWordTick(std::uint64_t word) { return static_cast<std::uint32_t>(word); }
constexpr bool keyWordReleased(std::uint64_t word) { return (word & kKeyWordReleased) != 0; }
constexpr bool keyWordStamped(std::uint64_t word) { return (word & kKeyWordStamped) != 0; }
constexpr bool keyWordPressed(std::uint64_t word) {
    return keyWordStamped(word) && !keyWordReleased(word);
}

template <class Word> void stampKeyWord(Word& word, std::uint32_t tick, bool released) {
    word.store(packKeyWord(tick, released));
}
