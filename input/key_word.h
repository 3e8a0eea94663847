// A key's last message packed in one 64-bit word: its tick in the low 32
// bits, a bit for a release and a bit saying that a message stamped the word
// at all. The handler writes the word in one store; a test reads it in one
// load and consumes a tap in one compare-exchange from what it read, so every
// answer is that of one state of the key, whatever the handler writes
// meanwhile. The operations are templates over the word so that the
// interleaving check in tests/ runs this very code on its own atomics.
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

template <class Word> void stampKeyWord(Word& word, std::uint32_t tick, bool released) {
    word.store(packKeyWord(tick, released));
}

// The clock is read after the word: a message stamped between the two is
// then never younger than the clock.
template <class Word, class Clock> bool testKeyWordHeld(const Word& word, Clock clock) {
    const std::uint64_t seen = word.load();
    return keyWordStamped(seen) && !keyWordReleased(seen) &&
           elapsedBelowAt(keyWordTick(seen), clock(), kHeldFor);
}

// A tap is consumed from the very word that showed it (only a stamped word
// holds a release). When the exchange fails a newer message landed after the
// read, and that message stands: the answer is that of the instant of the
// read, followed by the new message. A newer message equal to the one read
// is consumed in its place, which no later test can tell apart.
template <class Word, class Clock> bool takeKeyWordTap(Word& word, Clock clock) {
    std::uint64_t seen = word.load();
    if (!keyWordReleased(seen)) return false;
    if (!elapsedBelowAt(keyWordTick(seen), clock(), kTappedFor)) return false;
    word.compare_exchange_strong(seen, 0);
    return true;
}
