#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <chrono>
#include <iostream>
#include <random>
#include <thread>

#include "frame_shape.h"
#include "input/key_table.h"
#include "plugin_fixture.h"
#include "ui/menus.h"

namespace {

using KeyboardThreads = PluginTest;
using KeyCollisions = HostTest;

// Rounds of messages on one thread and how many of them came while the
// script tested on another.
struct Collisions {
    long rounds = 0, met = 0;
};

// The cores the process may use, none if it cannot tell.
cpu_set_t usableCores() {
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) CPU_ZERO(&allowed);
    return allowed;
}

// Puts the two threads on two cores of those the process may use, so that
// they run side by side however busy the machine is.
void onCoresApart(std::jthread& first, std::jthread& second) {
    const cpu_set_t allowed = usableCores();
    std::jthread* const threads[] = {&first, &second};
    for (int cpu = 0, placed = 0; cpu < CPU_SETSIZE && placed < 2; ++cpu) {
        if (!CPU_ISSET(cpu, &allowed)) continue;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        pthread_setaffinity_np(threads[placed++]->native_handle(), sizeof one, &one);
    }
}

// Runs `test` as the script does, without pause, on one thread, and `round`
// round after round on another, so that the tests land on every point of the
// handler's stores and its stores on every point of the tests. The rounds
// stop once kMet of them came while the script tested, or after kTimeLimit,
// so that a loaded machine ends in seconds.
template <class Round, class Test> Collisions collide(Round round, Test test) {
    constexpr long kMet = 100000;
    constexpr auto kTimeLimit = std::chrono::seconds(4);
    std::atomic<bool> done{false};
    std::atomic<long> tests{0};
    Collisions c;
    std::jthread script([&] {
        for (long count = 1; !done; ++count) {
            test();
            tests.store(count, std::memory_order_relaxed);
        }
    });
    std::jthread handler([&] {
        const auto end = std::chrono::steady_clock::now() + kTimeLimit;
        // Each round waits to see the script test while this thread runs, so
        // that it comes while the script runs rather than while it waits for
        // its core.
        const auto scriptRuns = [&] {
            const long seen = tests.load(std::memory_order_relaxed);
            for (int spin = 0; spin < 10000; ++spin)
                if (tests.load(std::memory_order_relaxed) != seen) return true;
            std::this_thread::yield();
            return false;
        };
        while (c.met < kMet && std::chrono::steady_clock::now() < end) {
            if (!scriptRuns()) continue;
            const long before = tests.load(std::memory_order_relaxed);
            round();
            c.met += tests.load(std::memory_order_relaxed) != before;
            ++c.rounds;
        }
        done = true;
    });
    onCoresApart(script, handler);
    handler.join();
    script.join();
    return c;
}

void release() { handleKeyboardMessage(kMenuKey, 1, 0, FALSE, FALSE, TRUE, TRUE); }
void press() { handleKeyboardMessage(kMenuKey, 1, 0, FALSE, FALSE, FALSE, FALSE); }

TEST_F(KeyCollisions, MessagesLandingWhileTheScriptTestsTheKey) {
    const cpu_set_t cores = usableCores();
    if (CPU_COUNT(&cores) < 2)
        GTEST_SKIP() << "messages land inside a key test's few instructions from another "
                        "core, and this process may use "
                     << CPU_COUNT(&cores) << "; KeyInterleavings proves every interleaving";
    sim::setTick(500000); // stands still: every message is fresh
    long readHeld = 0;
    const Collisions releases = collide(release, [&] { readHeld += keyHeld(kMenuKey); });
    EXPECT_EQ(readHeld, 0) << "tests that read the key held while only releases came";

    // The press after each release stands, whether the script consumed the
    // release before it landed, while it landed or not at all.
    long pressesLost = 0;
    const Collisions pairs = collide(
        [&] {
            release();
            press();
            pressesLost += !keyHeld(kMenuKey);
        },
        [] { keyTapped(kMenuKey); });
    EXPECT_EQ(pressesLost, 0) << "presses lost to a tap consumed as they landed";

    std::cout << "[ trials   ] " << releases.rounds << " releases, " << releases.met
              << " while the script tested held; " << pairs.rounds << " releases and presses, "
              << pairs.met << " while it consumed taps\n";
    EXPECT_GT(releases.met, 0) << "no release came while the script tested";
    EXPECT_GT(pairs.met, 0) << "no release and press came while the script consumed taps";
}

// The host may deliver keys on other threads than the script's: two threads
// hammer the registered handler while the script runs its frames, polling,
// consuming taps and acting on menus. Under ThreadSanitizer any unsynchronised
// access fails the run.
TEST_F(KeyboardThreads, HandlerHammeredFromTwoThreadsWhileTheScriptRuns) {
    std::atomic<long> delivered{0}, framesRun{0};
    // About a message a frame: a thread ahead of the frames gives its turn,
    // so that on one core the frames are not starved. Relaxed, so that the
    // counts order nothing the handler and the script do for ThreadSanitizer.
    constexpr auto kRelaxed = std::memory_order_relaxed;
    auto hammer = [&](std::stop_token stop, unsigned seed) {
        const DWORD keys[] = {kMenuKey,    kKeyNumpad5, kKeyNumpad0, kKeyBackspace,
                              kKeyNumpad8, kKeyNumpad2, 0x41,        300};
        std::mt19937 random(seed);
        while (!stop.stop_requested()) {
            if (delivered.load(kRelaxed) > framesRun.load(kRelaxed)) {
                std::this_thread::yield();
                continue;
            }
            const DWORD key = keys[random() % 8];
            const BOOL up = random() % 2;
            sim::sendKeyMessage(key, random() % 2, up, up);
            delivered.fetch_add(1, kRelaxed);
        }
    };
    // Both stop and are joined when they go out of scope, also when an
    // assertion ends the test.
    std::jthread first(hammer, 1u);
    std::jthread second(hammer, 2u);
    long drawn = 0;
    // Many thousands of frames, and as many messages, however the threads are
    // scheduled.
    for (long frame = 0; frame < 20000 || (delivered.load(kRelaxed) < 20000 && frame < 5000000);
         ++frame) {
        sim::runFrame();
        framesRun.store(frame + 1, kRelaxed);
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
