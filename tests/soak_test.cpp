#include <cstdlib>
#include <random>

#include "clothing/slots.h"
#include "frame_shape.h"
#include "heap_use.h"
#include "input/key_table.h"
#include "menu_reach.h"
#include "plugin_fixture.h"
#include "ui/menus.h"
#include "ui/status_line.h"

namespace {

// Frames to soak for: 125,000 (the asan test preset), which ends about when
// the fuzz run beside it does, or DRAPELLE_SOAK_FRAMES (10,000 in the debug
// one).
long soakFrames() {
    const char* frames = std::getenv("DRAPELLE_SOAK_FRAMES");
    return frames ? std::atol(frames) : 125000;
}

bool isSlotName(const InlineString& name) {
    for (std::string_view slot : slotNames) {
        if (name == slot) return true;
    }
    return false;
}

// Random keys in 400 frames of a thousand, the walker's in the rest, which
// start with every key of the random ones let go.
template <std::size_t N> bool isWalking(long frame, const DWORD (&keys)[N]) {
    if (frame % 1000 == 400) {
        for (const DWORD key : keys) sim::keyUp(key);
    }
    return frame % 1000 >= 400;
}

using Soak = PluginTest;

// Random key traffic for a long time, menus opening and closing, every row
// acted on: every frame keeps its shape and the state its ranges, and the
// heap stays flat from the first hundred thousand frames to the last.
TEST_F(Soak, RandomKeysKeepTheHeapFlatForTheSoaksFrames) {
    const long frames = soakFrames();
    const long window = std::min(frames / 10, 100000L);
    const DWORD keys[] = {kMenuKey,      kKeyNumpad5, kKeyNumpad0,
                          kKeyBackspace, kKeyNumpad8, kKeyNumpad2};
    std::mt19937 random(20261207);
    std::size_t firstPeak = 0, lastPeak = 0;
    // The stand-in's glyph cache grows with every new character it measures;
    // a fixed line count keeps it out of what is measured here.
    sim::game().forcedLineCount = 1;
    MenuReach reach;
    MenuWalker walker(20261207);
    for (long frame = 0; frame < frames; ++frame) {
        if (isWalking(frame, keys)) {
            walker.sendKeys(sim::lastFrame(), true);
        } else {
            const unsigned roll = random() % 1000;
            const DWORD key = keys[random() % 6];
            if (roll < 30)
                sim::keyDown(key);
            else if (roll < 70)
                sim::keyUp(key);
            else if (roll < 72)
                sim::keyDown(static_cast<DWORD>(random())); // any code at all
            else if (roll < 73)
                sim::advance(random() % 10000);
        }
        sim::runFrame();

        const sim::Frame& drawn = sim::lastFrame();
        reach.see(drawn, keyHeld(kKeyNumpad5));
        const std::string shape = checkFrameShape(drawn, FrameContext{});
        ASSERT_EQ(shape, "") << "frame " << frame << ":\n"
                             << testing::PrintToString(sim::describeCalls(drawn));
        ASSERT_TRUE(mainMenuIndex >= 0 && mainMenuIndex < kMainMenuRows) << frame;
        ASSERT_TRUE(clothingMenuIndex >= 0 && clothingMenuIndex < kClothingMenuRows) << frame;
        ASSERT_TRUE(isSlotName(currentSlotName)) << frame;

        if (frame < window) firstPeak = std::max(firstPeak, heapInUse());
        if (frame >= frames - window) lastPeak = std::max(lastPeak, heapInUse());
    }
    // Every row of both menus and the status line were exercised, not just the idle loop.
    EXPECT_EQ(reach.missed(false), "") << "in " << frames << " frames";
    // Strings keep the capacity of the longest text they have held (a status
    // line has at most 67 characters), so the peak may creep by a few hundred
    // bytes as longer texts first appear; a leak of even one allocation per
    // action or per frame would add megabytes over the run.
    EXPECT_LE(lastPeak, firstPeak + 1024) << "heap grew from " << firstPeak << " to " << lastPeak;
    RecordProperty("frames", std::to_string(frames));
    RecordProperty("heap_first_window_peak", std::to_string(firstPeak));
    RecordProperty("heap_last_window_peak", std::to_string(lastPeak));
    std::printf("soak: %ld frames; heap peak %zu bytes in the first %ld frames, %zu in the last "
                "%ld\n",
                frames, firstPeak, window, lastPeak, window);
}

// After load nothing allocates, whatever the player does: random keys over
// both menus with every row chosen, so the status line is shown and replaced
// and the slot switched. Every other frame the stand-in records, to see
// which row numpad 5 acts on in the next; in that next one it records
// nothing, so every allocation counted there is the plug-in's.
TEST_F(Soak, MenusInUseMakeNoHeapAllocations) {
    if (!sim::countsHeapAllocations()) GTEST_SKIP() << "this build cannot count allocations";
    sim::game().forcedLineCount = 1; // the stand-in's own line breaking allocates
    // The simulated game stores a component's variation the first time one is set.
    for (const std::int32_t id : slotIds)
        sim::setVariation(sim::game().playerPed, id, sim::variationOf(sim::game().playerPed, id));
    const DWORD keys[] = {kMenuKey,    kKeyNumpad5, kKeyNumpad5,
                          kKeyNumpad0, kKeyNumpad8, kKeyNumpad2};
    std::mt19937 random(20261208);
    long long allocations = 0;
    MenuReach reach;
    MenuWalker walker(20261208);
    for (int frame = 0; frame < 20000; ++frame) {
        const bool counted = frame % 2 == 1;
        if (isWalking(frame, keys)) {
            walker.sendKeys(sim::lastFrame(), counted);
        } else {
            const unsigned roll = random() % 100;
            const DWORD key = keys[random() % 6];
            if (roll < 8)
                sim::keyDown(key);
            else if (roll < 14)
                sim::keyUp(key);
        }
        sim::setRecording(!counted);
        const long long before = sim::heapAllocations();
        sim::runFrame();
        if (counted) allocations += sim::heapAllocations() - before;
        reach.see(sim::lastFrame(), counted && keyHeld(kKeyNumpad5));
    }
    EXPECT_EQ(allocations, 0) << "heap allocations on the menus' frames";
    EXPECT_EQ(reach.missed(false), "") << "in the frames counted";
}

} // namespace
