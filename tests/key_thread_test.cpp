#include <atomic>
#include <random>

#include "frame_shape.h"
#include "input/key_table.h"
#include "joining_thread.h"
#include "plugin_fixture.h"
#include "ui/menus.h"

namespace {

using KeyboardThreads = PluginTest;

// The host may deliver keys on other threads than the script's: two threads
// hammer the registered handler while the script runs its frames, polling,
// consuming taps and acting on menus. Under ThreadSanitizer any unsynchronised
// access fails the run.
TEST_F(KeyboardThreads, HandlerHammeredFromTwoThreadsWhileTheScriptRuns) {
    std::atomic<bool> done{false};
    std::atomic<long> delivered{0};
    auto hammer = [&](unsigned seed) {
        const DWORD keys[] = {kKeyF9,      kKeyNumpad5, kKeyNumpad0, kKeyBackspace,
                              kKeyNumpad8, kKeyNumpad2, 0x41,        300};
        std::mt19937 random(seed);
        while (!done.load()) {
            const DWORD key = keys[random() % 8];
            const BOOL up = random() % 2;
            sim::sendKeyMessage(key, random() % 2, up, up);
            delivered.fetch_add(1);
            yieldThread();
        }
    };
    JoiningThread first([&] { hammer(1u); });
    JoiningThread second([&] { hammer(2u); });
    // Stops both before they are joined, also when an assertion ends the test.
    struct StopOnExit {
        std::atomic<bool>& done;
        ~StopOnExit() { done = true; }
    } stop{done};
    long drawn = 0;
    // Many thousands of frames, and as many messages, however the threads are
    // scheduled.
    for (long frame = 0; frame < 20000 || (delivered.load() < 20000 && frame < 5000000); ++frame) {
        sim::runFrame();
        drawn += !sim::lastFrame().rects.empty();
        ASSERT_EQ(checkFrameShape(sim::lastFrame(), FrameContext{}), "") << frame;
    }
    done = true;
    first.join();
    second.join();
    EXPECT_GE(delivered.load(), 20000) << "key messages the two threads delivered";
    EXPECT_GT(drawn, 0) << "the keys from the other threads opened the menu";
    EXPECT_TRUE(mainMenuIndex >= 0 && mainMenuIndex < kMainMenuRows);
    EXPECT_TRUE(clothingMenuIndex >= 0 && clothingMenuIndex < kClothingMenuRows);
}

} // namespace
