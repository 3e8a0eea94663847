#include "host/natives.h"
#include "plugin_fixture.h"

namespace {

// The plug-in's statics as the program found them at start, before any test
// could change them: a load's initial state.
struct LoadState {
    bool keysZero = false;
    InlineString statusMessage, currentSlotName;
    DWORD statusUntil = 1;
    bool statusShown = true;
    std::int32_t currentSlotId = -1, mainMenuIndex = -1, clothingMenuIndex = -1;
} atLoad;

class SnapshotAtLoad : public ::testing::Environment {
    void SetUp() override {
        atLoad.keysZero = true;
        for (const KeyRecord& record : keyTable)
            atLoad.keysZero &=
                record.tick == 0 && record.alt == 0 && record.wasDown == 0 && record.released == 0;
        atLoad = {atLoad.keysZero, statusMessage, currentSlotName, statusUntil,
                  statusShown,     currentSlotId, mainMenuIndex,   clothingMenuIndex};
    }
};
const auto* const snapshot = ::testing::AddGlobalTestEnvironment(new SnapshotAtLoad);

TEST(Load, StartsWithTheInitialState) {
    EXPECT_TRUE(atLoad.keysZero);
    EXPECT_EQ(atLoad.statusMessage, "");
    EXPECT_EQ(atLoad.statusUntil, 0u);
    EXPECT_FALSE(atLoad.statusShown);
    EXPECT_EQ(atLoad.currentSlotName, "Face");
    EXPECT_EQ(atLoad.currentSlotId, 0);
    EXPECT_EQ(atLoad.mainMenuIndex, 0);
    EXPECT_EQ(atLoad.clothingMenuIndex, 0);
    EXPECT_EQ(std::string(slotNames[0]) + std::string(slotNames[11]), "FaceTorso2");
}

using Entry = HostTest;

TEST_F(Entry, AttachRegistersScriptThenHandlerAndDetachUnregistersInTheSameOrder) {
    const auto module = reinterpret_cast<HINSTANCE>(0x10000);
    EXPECT_EQ(DllMain(module, DLL_PROCESS_ATTACH, nullptr), TRUE);
    EXPECT_TRUE(sim::isScriptRegistered());
    EXPECT_TRUE(sim::isHandlerRegistered());
    EXPECT_EQ(DllMain(module, DLL_THREAD_ATTACH, nullptr), TRUE);
    EXPECT_EQ(DllMain(module, DLL_THREAD_DETACH, nullptr), TRUE);
    EXPECT_EQ(DllMain(module, 7, nullptr), TRUE);
    EXPECT_EQ(DllMain(module, DLL_PROCESS_DETACH, nullptr), TRUE);
    EXPECT_FALSE(sim::isScriptRegistered());
    EXPECT_FALSE(sim::isHandlerRegistered());
    EXPECT_EQ(sim::hostEvents(),
              (std::vector<std::string>{"scriptRegister", "keyboardHandlerRegister",
                                        "scriptUnregister", "keyboardHandlerUnregister"}));
}

// The per-frame checks while nothing is shown: four natives, nothing drawn.
const std::vector<std::string> kAliveChecks = {"playerPed()", "isEntityDead(10753)",
                                               "playerIndex()", "isPlayerBeingArrested(0, 1)"};

using Script = PluginTest;

TEST_F(Script, IdleFrameMakesOnlyTheFourChecks) {
    sim::runFrames(3);
    EXPECT_EQ(sim::describeCalls(sim::lastFrame()), kAliveChecks);
}

TEST_F(Script, DeadCharacterHoldsTheScriptWithoutTheArrestTest) {
    sim::runFrame();
    showStatus("still here");
    sim::game().dead = true;
    sim::runFrames(3);
    EXPECT_EQ(sim::describeCalls(sim::lastFrame()),
              (std::vector<std::string>{"playerPed()", "isEntityDead(10753)"}));

    // While held, a tap of F9 is not even looked at.
    sim::keyDown(kKeyF9);
    sim::keyUp(kKeyF9);
    sim::runFrame();
    EXPECT_TRUE(sim::lastFrame().texts.empty());
    EXPECT_EQ(keyTable[kKeyF9].released, 1);

    sim::game().dead = false;
    sim::runFrame(); // the hold ends inside frameTick: the checks, then the wait
    EXPECT_EQ(sim::describeCalls(sim::lastFrame()), kAliveChecks);
}

TEST_F(Script, ArrestHoldsTheScriptAndReadsPedAndIndexAfresh) {
    sim::game().arrested = true;
    sim::runFrames(2);
    EXPECT_EQ(sim::describeCalls(sim::lastFrame()), kAliveChecks);
    sim::game().playerPed = 77;
    sim::game().playerIndex = 3;
    sim::runFrame();
    EXPECT_EQ(sim::describeCalls(sim::lastFrame()),
              (std::vector<std::string>{"playerPed()", "isEntityDead(77)", "playerIndex()",
                                        "isPlayerBeingArrested(3, 1)"}));
}

// The status line is drawn once per frameTick call, before the checks, and
// not at all while frameTick holds the script.
TEST_F(Script, StatusLineIsDrawnOncePerFrameAndNotWhileHeld) {
    sim::runFrame();
    showStatus(" [Face]: 0,(46),0,(1)");
    sim::runFrame();
    ASSERT_EQ(sim::lastFrame().texts.size(), 1u);
    EXPECT_EQ(sim::lastFrame().calls.size(), 14u);
    EXPECT_EQ(sim::describeCall(sim::lastFrame().calls[10]), "playerPed()");

    sim::game().arrested = true;
    sim::runFrames(2);
    EXPECT_TRUE(sim::lastFrame().texts.empty());
    EXPECT_EQ(sim::lastFrame().calls.size(), 4u);
}

TEST_F(Script, StatusLineThatExpiresDuringTheHoldIsNotShownAgain) {
    sim::runFrame();
    showStatus("expiring");
    sim::game().dead = true;
    sim::runFor(kStatusTime);
    sim::game().dead = false;
    sim::runFrames(2);
    EXPECT_TRUE(sim::lastFrame().texts.empty());
}

// The stand-in is as strict as a real host: these misuses are reported.
TEST_F(HostTest, StandInReportsWhatARealHostWouldNotTake) {
    sim::game().freshPedEachCall = true;
    static UINT64 resultSlot = 0;
    sim::startScript([] {
        const std::int32_t kept = playerPed();
        nativeInit(0xD80958FC74E988A6); // playerPed
        resultSlot = *nativeCall();
        pedDrawable(kept, 0);           // a handle that is not the latest
        nativeInit(0x5F9532F3B5CC2551); // isEntityDead, its ped sign-extended
        nativePush64(0xFFFFFFFFFFFFFFF0u);
        nativeCall();
        setTextCentred(true);
        nativeInit(0xC02F4DBFB51D988B); // setTextCentred(2)
        nativePush64(2);
        nativeCall();
        scriptWait(1); // more than a frame
        for (;;) scriptWait(0);
    });
    sim::runFrame();
    EXPECT_EQ(sim::protocolErrors(),
              (std::vector<std::string>{"pedDrawable: stale ped handle 273",
                                        "isEntityDead: argument 1 is 0xFFFFFFFFFFFFFFF0",
                                        "isEntityDead: stale ped handle -16",
                                        "setTextCentred: argument 1 is 0x0000000000000002",
                                        "scriptWait(1)"}));
    EXPECT_NE(resultSlot >> 32, 0u) << "results come with junk above the low half";
    sim::reset();
}

TEST_F(Script, F9TapOpensTheMenuOnlyWithin100MsOfItsRelease) {
    sim::runFrame();
    sim::keyDown(kKeyF9);
    sim::keyUp(kKeyF9);
    sim::advance(100); // the script tests it 100 ms after the release: too late
    sim::runFrame();
    EXPECT_TRUE(sim::lastFrame().texts.empty());

    sim::keyDown(kKeyF9);
    sim::keyUp(kKeyF9);
    sim::advance(99);
    sim::runFrame();
    EXPECT_EQ(drawnTexts(sim::lastFrame()),
              (std::vector<std::string>{"Drapelle", "Close Menu", "Skin/Clothing Change"}));
    EXPECT_EQ(keyTable[kKeyF9].released, 0) << "the tap was consumed";
}

} // namespace
