#include <atomic>
#include <random>
#include <thread>

#include "frame_shape.h"
#include "input/key_table.h"
#include "plugin_fixture.h"
#include "ui/menus.h"

namespace {

using KeyboardThreads = PluginTest;
using KeyCollisions = HostTest;

// One F9 message delivered on another thread while this one tests the key
// without pause, trial after trial, so that the tests land on every point of
// the handler's store. Each trial starts from one earlier message, stamped
// `age` ms before a clock that then stands still; it counts the taps read from
// the message's start to one test after it, and whether the key read held.
struct Collision {
    const char* story;
    bool earlierReleased;
    DWORD age;
    bool released;
    long expectedTaps;
    bool mayReadHeld;
};

// Trials in which the answers were not those of the story.
long wrongTrials(const Collision& c) {
    constexpr long kTrials = 5000;
    constexpr DWORD kNow = 500000;
    std::atomic<long> started{0}, delivered{0};
    std::jthread handler([&] {
        for (long trial = 1; trial <= kTrials; ++trial) {
            // Asleep until the trial starts, so that a loaded machine does not
            // spend its cores on the wait; the script then tests without pause.
            for (long now = started.load(); now < trial; now = started.load()) started.wait(now);
            handleKeyboardMessage(kKeyF9, 1, 0, FALSE, FALSE, c.released, c.released);
            delivered.store(trial);
        }
    });
    long wrong = 0;
    for (long trial = 1; trial <= kTrials; ++trial) {
        clearKeyRecord(kKeyF9);
        sim::setTick(kNow - c.age);
        handleKeyboardMessage(kKeyF9, 1, 0, FALSE, FALSE, c.earlierReleased, c.earlierReleased);
        sim::setTick(kNow);
        long taps = 0;
        bool held = false;
        started.store(trial);
        started.notify_one();
        while (delivered.load() < trial) {
            taps += keyTapped(kKeyF9);
            held |= keyHeld(kKeyF9);
        }
        taps += keyTapped(kKeyF9);
        wrong += taps != c.expectedTaps || (held && !c.mayReadHeld);
    }
    return wrong;
}

TEST_F(KeyCollisions, MessagesLandingWhileTheScriptTestsTheKey) {
    const Collision collisions[] = {
        {"a press after a release 300 ms old: no tap", true, 300, false, 0, true},
        {"a release after a fresh press: one tap", false, 16, true, 1, true},
        {"a release after a press 6 s old: one tap, never held", false, 6000, true, 1, false},
    };
    for (const Collision& c : collisions)
        EXPECT_EQ(wrongTrials(c), 0) << "trials that told another story than " << c.story;
}

// The host may deliver keys on other threads than the script's: two threads
// hammer the registered handler while the script runs its frames, polling,
// consuming taps and acting on menus. Under ThreadSanitizer any unsynchronised
// access fails the run.
TEST_F(KeyboardThreads, HandlerHammeredFromTwoThreadsWhileTheScriptRuns) {
    std::atomic<long> delivered{0};
    auto hammer = [&](std::stop_token stop, unsigned seed) {
        const DWORD keys[] = {kKeyF9,      kKeyNumpad5, kKeyNumpad0, kKeyBackspace,
                              kKeyNumpad8, kKeyNumpad2, 0x41,        300};
        std::mt19937 random(seed);
        while (!stop.stop_requested()) {
            const DWORD key = keys[random() % 8];
            const BOOL up = random() % 2;
            sim::sendKeyMessage(key, random() % 2, up, up);
            delivered.fetch_add(1);
            std::this_thread::yield();
        }
    };
    // Both stop and are joined when they go out of scope, also when an
    // assertion ends the test.
    std::jthread first(hammer, 1u);
    std::jthread second(hammer, 2u);
    long drawn = 0;
    // Many thousands of frames, and as many messages, however the threads are
    // scheduled.
    for (long frame = 0; frame < 20000 || (delivered.load() < 20000 && frame < 5000000); ++frame) {
        sim::runFrame();
        drawn += !sim::lastFrame().rects.empty();
        ASSERT_EQ(checkFrameShape(sim::lastFrame(), FrameContext{}), "") << frame;
    }
    first.request_stop();
    second.request_stop();
    first.join();
    second.join();
    EXPECT_GE(delivered.load(), 20000) << "key messages the two threads delivered";
    EXPECT_GT(drawn, 0) << "the keys from the other threads opened the menu";
    EXPECT_TRUE(mainMenuIndex >= 0 && mainMenuIndex < kMainMenuRows);
    EXPECT_TRUE(clothingMenuIndex >= 0 && clothingMenuIndex < kClothingMenuRows);
}

} // namespace
