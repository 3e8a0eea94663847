#include <cstdio>

#include "clothing/actions.h"
#include "clothing/slots.h"
#include "host/natives.h"
#include "plugin_fixture.h"
#include "ui/status_line.h"

namespace {

constexpr std::int32_t kPed = 0x2A01;

class Clothing : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        sim::beginFrame();
    }
    static void wear(std::int32_t component, std::int32_t drawable, std::int32_t texture,
                     std::int32_t palette = 0) {
        sim::setVariation(kPed, component, {drawable, texture, palette});
    }
    static void offer(std::int32_t component, std::int32_t drawables,
                      std::vector<std::int32_t> textures) {
        sim::game().catalogue[component] = {drawables, std::move(textures), {}};
    }
    static std::vector<std::string> calls() { return sim::describeCalls(sim::frameInProgress()); }
};

TEST_F(Clothing, SlotLookupMatchesWholeNamesExactly) {
    EXPECT_EQ(currentSlotName, "Face");
    EXPECT_EQ(currentSlotId, 0) << "Face's component id at load";
    const std::pair<const char*, std::int32_t> lookups[] = {
        {"Torso", 3}, {"Torso2", 11}, {"Torso", 3}, {"Accessories", 8}, {"Textures", 10},
        {"Legs", 4},  {"face", 4},    {"", 4},      {"Legs ", 4},       {"Torso 2", 4},
        {"Tors", 4},  {"Legs", 4},    {"Hair", 2},  {"Hair", 2}};
    for (const auto& [name, id] : lookups) {
        resolveSlotId(textOf(name));
        EXPECT_EQ(currentSlotId, id) << '"' << name << '"';
    }
}

TEST_F(Clothing, ShowSlotDataReadsInOrderAndFormatsTheLine) {
    sim::setTick(5000);
    offer(0, 10, {1, 1, 1, 2});
    wear(0, 3, 0);
    onFiber([] { showSlotData(kPed, "Face"); });
    EXPECT_EQ(calls(), (std::vector<std::string>{"pedDrawable(10753, 0)", "pedTexture(10753, 0)",
                                                 "pedDrawableCount(10753, 0)",
                                                 "pedTextureCount(10753, 0, 3)"}));
    EXPECT_EQ(statusMessage, " [Face]: 3,(10),0,(2)");
    EXPECT_EQ(statusUntil, 5000 + kStatusTime) << "shown from now";
}

// The longest line the slot names allow still fits the 160-character buffer
// whole, and negative numbers print as signed decimals.
TEST_F(Clothing, LongestStatusLineIsNotCut) {
    const std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    offer(8, lowest, {});
    sim::game().catalogue[8].otherTextureCount = lowest;
    wear(8, lowest, lowest);
    onFiber([] { showSlotData(kPed, "Accessories"); });
    EXPECT_EQ(statusMessage, " [Accessories]: -2147483648,(-2147483648),-2147483648,(-2147483648)");
    EXPECT_EQ(statusMessage.size(), 67u) << "characters in the longest status line";
}

// A line longer than the 160-byte buffer is cut where snprintf cuts it, in
// the name or in any of the numbers, negative ones among them.
TEST_F(Clothing, OverlongStatusLineIsCutAsSnprintfCutsIt) {
    const std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    offer(4, lowest, {});
    sim::game().catalogue[4].otherTextureCount = -7;
    wear(4, 12345, lowest);
    resolveSlotId("Legs");
    for (const std::size_t length : {90u, 93u, 105u, 119u, 120u, 128u, 140u, 155u, 159u}) {
        const std::string name(length, 'n');
        onFiber([&] { showSlotData(kPed, textOf(name)); });
        char expected[160];
        std::snprintf(expected, sizeof expected, " [%s]: %d,(%d),%d,(%d)", name.c_str(), 12345,
                      lowest, lowest, -7);
        EXPECT_EQ(statusMessage, expected) << "a name of " << length << " characters";
    }
}

// An unknown name keeps the component last resolved, shown under that name.
TEST_F(Clothing, UnknownNameShowsThePreviousComponent) {
    offer(4, 13, std::vector<std::int32_t>(13, 1));
    wear(4, 5, 0);
    resolveSlotId("Legs");
    onFiber([] { showSlotData(kPed, "Trousers"); });
    EXPECT_EQ(currentSlotId, 4) << "the component id last resolved, Legs'";
    EXPECT_EQ(statusMessage, " [Trousers]: 5,(13),0,(1)");
}

TEST_F(Clothing, NextDrawableStepsWrapsAndResetsTextureAndPalette) {
    offer(3, 5, {1, 2, 3, 4, 5});
    wear(3, 2, 3, 1);
    onFiber([] { nextDrawable(kPed, "Torso"); });
    EXPECT_EQ(calls(),
              (std::vector<std::string>{"pedDrawable(10753, 3)", "pedDrawableCount(10753, 3)",
                                        "setPedVariation(10753, 3, 3, 0, 0)"}));
    EXPECT_EQ(sim::variationOf(kPed, 3), (sim::Variation{3, 0, 0}));

    wear(3, 4, 2, 2); // the last drawable wraps to the first
    onFiber([] { nextDrawable(kPed, "Torso"); });
    EXPECT_EQ(sim::variationOf(kPed, 3), (sim::Variation{0, 0, 0}));
}

// The guards: nothing is set when the index is not below the count, and odd
// counts (zero, negative, the extremes) do not overflow the step.
TEST_F(Clothing, StepsSetNothingWhenTheIndexIsNotBelowTheCount) {
    const std::int32_t highest = std::numeric_limits<std::int32_t>::max();
    offer(1, 0, {});
    onFiber([] { nextDrawable(kPed, "Head"); });
    onFiber([] { nextTexture(kPed, "Head"); });
    offer(2, -3, {});
    wear(2, highest, highest);
    onFiber([] { nextDrawable(kPed, "Hair"); });
    onFiber([] { nextTexture(kPed, "Hair"); });
    for (const sim::NativeCall& call : sim::frameInProgress().calls) {
        EXPECT_STRNE(sim::nativeName(call.hash), "setPedVariation");
    }
    EXPECT_EQ(sim::variationOf(kPed, 2), (sim::Variation{highest, highest, 0}));

    offer(5, highest, {});
    wear(5, highest - 1, 0);
    onFiber([] { nextDrawable(kPed, "Hands"); });
    EXPECT_EQ(sim::variationOf(kPed, 5), (sim::Variation{0, 0, 0}));
}

TEST_F(Clothing, NextTextureKeepsTheDrawableAndWraps) {
    offer(6, 8, {1, 1, 4, 1, 1, 1, 1, 1});
    wear(6, 2, 1, 3);
    onFiber([] { nextTexture(kPed, "Feet"); });
    EXPECT_EQ(calls(), (std::vector<std::string>{"pedDrawable(10753, 6)", "pedTexture(10753, 6)",
                                                 "pedTextureCount(10753, 6, 2)",
                                                 "setPedVariation(10753, 6, 2, 2, 0)"}));
    EXPECT_EQ(sim::variationOf(kPed, 6), (sim::Variation{2, 2, 0}));
    wear(6, 2, 3, 3);
    onFiber([] { nextTexture(kPed, "Feet"); });
    EXPECT_EQ(sim::variationOf(kPed, 6), (sim::Variation{2, 0, 0}));
}

// Twelve switches visit every slot and come back to the start. Each component
// wears numbers of its own, so that each slot's id must reach the variation
// natives and its name the status line.
TEST_F(Clothing, EachSlotSwitchShowsThatSlotsComponentUnderItsName) {
    const std::pair<const char*, std::int32_t> slots[] = {
        {"Head", 1},  {"Hair", 2},      {"Torso", 3},   {"Legs", 4},
        {"Hands", 5}, {"Feet", 6},      {"Eyes", 7},    {"Accessories", 8},
        {"Tasks", 9}, {"Textures", 10}, {"Torso2", 11}, {"Face", 0}};
    for (std::int32_t id = 0; id < 12; ++id) {
        offer(id, 20 + id, std::vector<std::int32_t>(30, 40 + id));
        wear(id, id + 2, id % 3);
    }
    for (const auto& [name, id] : slots) {
        sim::beginFrame();
        onFiber([] { nextSlot(); });
        const std::string ped = std::to_string(kPed), on = ped + ", " + std::to_string(id);
        EXPECT_EQ(calls(), (std::vector<std::string>{
                               "playerPed()", "pedDrawable(" + on + ")", "pedTexture(" + on + ")",
                               "pedDrawableCount(" + on + ")",
                               "pedTextureCount(" + on + ", " + std::to_string(id + 2) + ")"}));
        EXPECT_EQ(statusMessage, " [" + std::string(name) + "]: " + std::to_string(id + 2) + ",(" +
                                     std::to_string(20 + id) + ")," + std::to_string(id % 3) +
                                     ",(" + std::to_string(40 + id) + ")");
        EXPECT_EQ(currentSlotName, name);
        EXPECT_EQ(currentSlotId, id) << "the component id of " << name;
    }
}

TEST_F(Clothing, SlotSwitchFromAnUnknownNameDoesNothing) {
    currentSlotName = "Gloves";
    onFiber([] { nextSlot(); });
    EXPECT_EQ(currentSlotName, "Gloves");
    EXPECT_TRUE(calls().empty());
    EXPECT_FALSE(statusShown);
}

TEST_F(Clothing, DefaultLookRestoresTheCatalogueAndLeavesTheStatusLine) {
    sim::game().catalogue[0].defaults = {1, 1, 0};
    wear(0, 7, 2, 1);
    wear(4, 3, 1);
    sim::setTick(100);
    showStatus("earlier");
    sim::setTick(3000);
    onFiber([] { restoreDefaultLook(kPed); });
    EXPECT_EQ(calls(), std::vector<std::string>{"setPedDefaultVariation(10753)"});
    EXPECT_EQ(sim::variationOf(kPed, 0), (sim::Variation{1, 1, 0}));
    EXPECT_EQ(sim::variationOf(kPed, 4), (sim::Variation{0, 0, 0}));
    EXPECT_EQ(statusMessage, "earlier");
    EXPECT_EQ(statusUntil, 100 + kStatusTime) << "the earlier line's time";
}

TEST_F(Clothing, CallNative5PushesAZeroFifthArgumentZeroExtended) {
    onFiber([] { callNative5(0x262B14F48D29DE80, -1, 2, 3, 4); });
    EXPECT_EQ(calls(), std::vector<std::string>{"setPedVariation(-1, 2, 3, 4, 0)"});
    EXPECT_EQ(sim::frameInProgress().calls[0].args[0], 0xFFFFFFFFu)
        << "the slot of ped -1, zero-extended";
    EXPECT_EQ(sim::variationOf(-1, 2), (sim::Variation{3, 4, 0}));
}

} // namespace
