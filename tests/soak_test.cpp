#include <cstdlib>
#include <random>

#include "clothing/slots.h"
#include "frame_shape.h"
#include "heap_use.h"
#include "input/key_table.h"
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

using Soak = PluginTest;

// Random key traffic for a long time, menus opening and closing: every frame
// keeps its shape and the state its ranges, and the heap stays flat from the
// first hundred thousand frames to the last.
TEST_F(Soak, RandomKeysKeepTheHeapFlatForTheSoaksFrames) {
    const long frames = soakFrames();
    const long window = std::min(frames / 10, 100000L);
    const DWORD keys[] = {kKeyF9,        kKeyNumpad5, kKeyNumpad0,
                          kKeyBackspace, kKeyNumpad8, kKeyNumpad2};
    std::mt19937 random(20261207);
    std::size_t firstPeak = 0, lastPeak = 0;
    // The stand-in's glyph cache grows with every new character it measures;
    // a fixed line count keeps it out of what is measured here.
    sim::game().forcedLineCount = 1;
    long opened = 0, shown = 0;
    for (long frame = 0; frame < frames; ++frame) {
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
        sim::runFrame();

        const sim::Frame& drawn = sim::lastFrame();
        opened += !drawn.rects.empty();
        shown += drawn.texts.size() % 2 == 1; // the status line is the odd text out
        const std::string shape = checkFrameShape(drawn, FrameContext{});
        ASSERT_EQ(shape, "") << "frame " << frame << ":\n"
                             << testing::PrintToString(sim::describeCalls(drawn));
        ASSERT_TRUE(mainMenuIndex >= 0 && mainMenuIndex < kMainMenuRows) << frame;
        ASSERT_TRUE(clothingMenuIndex >= 0 && clothingMenuIndex < kClothingMenuRows) << frame;
        ASSERT_TRUE(isSlotName(currentSlotName)) << frame;

        if (frame < window) firstPeak = std::max(firstPeak, heapInUse());
        if (frame >= frames - window) lastPeak = std::max(lastPeak, heapInUse());
    }
    // Both menus and the status line were exercised, not just the idle loop.
    EXPECT_GT(opened, frames / 10) << "frames with a menu open, of " << frames;
    EXPECT_GT(shown, frames / 10) << "frames with the status line shown, of " << frames;
    // Strings keep the capacity of the longest text they have held (a status
    // line has at most 67 characters), so the peak may creep by a few hundred
    // bytes as longer texts first appear; a leak of even one allocation per
    // action or per frame would add megabytes over the run.
    EXPECT_LE(lastPeak, firstPeak + 1024) << "heap grew from " << firstPeak << " to " << lastPeak;
    RecordProperty("frames", std::to_string(frames));
    RecordProperty("heap_first_window_peak", std::to_string(firstPeak));
    RecordProperty("heap_last_window_peak", std::to_string(lastPeak));
    std::printf("soak: %ld frames, menu drawn in %ld, status line in %ld; heap peak %zu bytes in "
                "the first %ld frames, %zu in the last %ld\n",
                frames, opened, shown, firstPeak, window, lastPeak, window);
}

// After load nothing allocates, whatever the player does: random keys over
// both menus with every clothing row chosen again and again, so the status
// line is shown and replaced and the slot goes round. The stand-in records
// nothing, so every allocation counted in a frame is the plug-in's.
TEST_F(Soak, MenusInUseMakeNoHeapAllocations) {
    if (!sim::countsHeapAllocations()) GTEST_SKIP() << "this build cannot count allocations";
    sim::setRecording(false);
    sim::game().forcedLineCount = 1; // the stand-in's own line breaking allocates
    // The simulated game stores a component's variation the first time one is set.
    for (std::int32_t id = 0; id < 12; ++id)
        sim::setVariation(sim::game().playerPed, id, sim::variationOf(sim::game().playerPed, id));
    const DWORD keys[] = {kKeyF9, kKeyNumpad5, kKeyNumpad5, kKeyNumpad0, kKeyNumpad8, kKeyNumpad2};
    std::mt19937 random(20261208);
    long long allocations = 0;
    int statusShows = 0, slotSwitches = 0;
    for (int frame = 0; frame < 20000; ++frame) {
        const unsigned roll = random() % 100;
        const DWORD key = keys[random() % 6];
        if (roll < 8)
            sim::keyDown(key);
        else if (roll < 14)
            sim::keyUp(key);
        const DWORD shownUntil = statusUntil;
        const InlineString slot = currentSlotName;

        const long long before = sim::heapAllocations();
        sim::runFrame();
        allocations += sim::heapAllocations() - before;

        statusShows += statusUntil != shownUntil;
        slotSwitches += !(currentSlotName == slot);
    }
    EXPECT_EQ(allocations, 0) << "heap allocations on the menus' frames";
    EXPECT_GT(statusShows, 200) << "status lines shown";
    EXPECT_GT(slotSwitches, 24) << "the slot went round twice";
}

} // namespace
