#include <cstdio>

#include "clothing/slots.h"
#include "heap_use.h"
#include "host/natives.h"
#include "input/key_table.h"
#include "plugin_fixture.h"
#include "simhost/screen.h"
#include "ui/menus.h"
#include "ui/status_line.h"

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
            atLoad.keysZero &= record.message == 0 && record.alt == 0 && record.wasDown == 0;
        atLoad = {atLoad.keysZero, statusMessage, currentSlotName, statusUntil,
                  statusShown,     currentSlotId, mainMenuIndex,   clothingMenuIndex};
    }
};
const auto* const snapshot = ::testing::AddGlobalTestEnvironment(new SnapshotAtLoad);

TEST(Load, StartsWithTheInitialState) {
    EXPECT_TRUE(atLoad.keysZero);
    EXPECT_EQ(atLoad.statusMessage, "");
    EXPECT_EQ(atLoad.statusUntil, 0u) << "statusUntil at load";
    EXPECT_FALSE(atLoad.statusShown);
    EXPECT_EQ(atLoad.currentSlotName, "Face");
    EXPECT_EQ(atLoad.currentSlotId, 0) << "currentSlotId at load";
    EXPECT_EQ(atLoad.mainMenuIndex, 0) << "mainMenuIndex at load";
    EXPECT_EQ(atLoad.clothingMenuIndex, 0) << "clothingMenuIndex at load";
    EXPECT_EQ(std::string(slotNames[0]) + std::string(slotNames[11]), "FaceTorso2");
}

using Entry = HostTest;

TEST_F(Entry, AttachRegistersScriptThenHandlerAndDetachUnregistersInTheSameOrder) {
    // Registered with the handle DllMain was given, whatever it is.
    EXPECT_EQ(sim::attach(DllMain, reinterpret_cast<HINSTANCE>(0x10000)), TRUE);
    EXPECT_TRUE(sim::registeredScriptFunction());
    EXPECT_TRUE(sim::registeredKeyboardHandler());
    EXPECT_EQ(sim::notifyPlugin(DLL_THREAD_ATTACH), TRUE);
    EXPECT_EQ(sim::notifyPlugin(DLL_THREAD_DETACH), TRUE);
    EXPECT_EQ(sim::notifyPlugin(7), TRUE);
    EXPECT_EQ(sim::notifyPlugin(DLL_PROCESS_DETACH), TRUE);
    EXPECT_FALSE(sim::registeredScriptFunction());
    EXPECT_FALSE(sim::registeredKeyboardHandler());
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

// The stand-in delays each message to some native call of the next frame,
// but, like a window's queue, never past one sent after it.
TEST_F(Script, KeysSentTogetherArriveBetweenNativesInTheirOrder) {
    for (std::uint32_t seed = 1; seed <= 64; ++seed) {
        sim::setKeysMidFrame(true, seed);
        sim::keyDown(kKeyNumpad8);
        sim::keyUp(kKeyNumpad8);
        sim::runFrame();
        sim::setKeysMidFrame(false);
        ASSERT_FALSE(keyHeld(kKeyNumpad8)) << "seed " << seed << ": a press came after its release";
    }
}

TEST_F(Script, DeadCharacterHoldsTheScriptWithoutTheArrestTest) {
    sim::runFrame();
    showStatus("still here");
    sim::game().dead = true;
    sim::runFrames(3);
    EXPECT_EQ(sim::describeCalls(sim::lastFrame()),
              (std::vector<std::string>{"playerPed()", "isEntityDead(10753)"}));

    // While held, a tap of the menu key is not even looked at.
    sim::keyDown(kMenuKey);
    sim::keyUp(kMenuKey);
    sim::runFrame();
    EXPECT_TRUE(sim::lastFrame().texts.empty());
    EXPECT_EQ(keyWordReleased(keyTable[kMenuKey].message), true)
        << "the menu key's release, left for the key test";

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
    ASSERT_EQ(sim::lastFrame().texts.size(), 1u) << "texts drawn: the status line once";
    EXPECT_EQ(sim::lastFrame().calls.size(), 14u)
        << "natives of the frame: the status line's ten, then the four checks";
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
              (std::vector<std::string>{"frame 1: pedDrawable: stale ped handle 273",
                                        "frame 1: isEntityDead: argument 1 is 0xFFFFFFFFFFFFFFF0",
                                        "frame 1: isEntityDead: stale ped handle -16",
                                        "frame 1: setTextCentred: argument 1 is 0x0000000000000002",
                                        "frame 1: scriptWait(1)"}));
    EXPECT_NE(resultSlot >> 32, 0u) << "results come with junk above the low half";
    sim::reset();
}

// What a real host would not survive, each as a plug-in might get it wrong,
// and the stand-in's words for it.
TEST_F(HostTest, StandInRefusesWhatWouldCrashARealGame) {
    const struct {
        const char* misuse;
        sim::EntryPoint entry;
        const char* error;
    } cases[] = {
        {"a native from DllMain",
         [](HINSTANCE module, DWORD reason, LPVOID) -> BOOL {
             if (reason == DLL_PROCESS_ATTACH) playerPed();
             DllMain(module, reason, nullptr);
             return TRUE;
         },
         "before the first frame: nativeInit of playerPed from DllMain: natives run only on the "
         "script's fiber"},
        {"a native from the keyboard handler",
         [](HINSTANCE module, DWORD reason, LPVOID) -> BOOL {
             DllMain(module, reason, nullptr);
             if (reason == DLL_PROCESS_ATTACH)
                 keyboardHandlerRegister(
                     [](DWORD, WORD, BYTE, BOOL, BOOL, BOOL, BOOL) { playerPed(); });
             return TRUE;
         },
         "frame 1: nativeInit of playerPed from the keyboard handler: natives run only on the "
         "script's fiber"},
        {"registering with no module",
         [](HINSTANCE, DWORD reason, LPVOID) -> BOOL {
             if (reason == DLL_PROCESS_ATTACH) scriptRegister(nullptr, runScript);
             return TRUE;
         },
         "before the first frame: scriptRegister: module 0x0000000000000000 is not the handle "
         "DllMain received (0x0000000180000000)"},
        {"unregistering with no module",
         [](HINSTANCE module, DWORD reason, LPVOID) -> BOOL {
             if (reason == DLL_PROCESS_ATTACH) scriptRegister(module, runScript);
             if (reason == DLL_PROCESS_DETACH) scriptUnregister(nullptr);
             return TRUE;
         },
         "frame 1: scriptUnregister: module 0x0000000000000000 is not the one registered "
         "(0x0000000180000000)"},
    };
    for (const auto& [misuse, entry, error] : cases) {
        sim::reset();
        sim::attach(entry);
        sim::runFrame();
        sim::keyDown(kMenuKey);
        sim::detach();
        ASSERT_FALSE(sim::protocolErrors().empty()) << misuse;
        EXPECT_EQ(sim::protocolErrors().front(), error) << misuse;
    }
    sim::reset();
}

TEST_F(HostTest, StandInRefusesBadAddressesAndStaleResults) {
    alignas(8) static std::int32_t sizes[3] = {};
    static std::int32_t* const misaligned =
        reinterpret_cast<std::int32_t*>(reinterpret_cast<char*>(sizes) + 1);
    static std::uint64_t staleRead = 0;
    static DWORD clockInFrame = 0;
    sim::startScript([] {
        const DWORD start = GetTickCount();
        addPlainText(nullptr);
        screenResolution(misaligned, &sizes[2]);
        nativeInit(0xD80958FC74E988A6); // playerPed
        const UINT64* result = nativeCall();
        nativeInit(0x4F8644AF03D0E0D6); // playerIndex: the ped's slot is gone
        staleRead = *result;
        nativeCall();
        for (int i = 0; i < 14; ++i) playerIndex();
        clockInFrame = GetTickCount() - start;
        for (;;) scriptWait(0);
    });
    const DWORD frameStart = sim::now();
    sim::runFrame();
    char address[24];
    std::snprintf(address, sizeof address, "0x%016llX",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(misaligned)));
    EXPECT_EQ(sim::protocolErrors(),
              (std::vector<std::string>{"frame 1: addPlainText: argument 1 is a null address, "
                                        "which the game would read or write",
                                        "frame 1: screenResolution: argument 1 is " +
                                            std::string(address) + ", not the address of an int"}));
    EXPECT_NE(staleRead & 0xFFFFFFFFu, static_cast<std::uint32_t>(sim::game().playerPed))
        << "a result read after the next call began";
    EXPECT_EQ(clockInFrame, 2u) << "16 calls into a frame, 2 ms have passed";
    EXPECT_EQ(sim::now() - frameStart, 16u) << "and the frame still lasts 16 ms";
    sim::reset();
}

// Unloading deletes the script's fiber where it waits, as a host does, and
// nothing of a load stays behind on the heap.
TEST_F(HostTest, HundredLoadCyclesKeepTheHeapFlat) {
    std::size_t settled = 0; // bytes in use after the second load
    for (int cycle = 1; cycle <= 100; ++cycle) {
        sim::reset();
        harness::resetPluginState();
        sim::attach(DllMain);
        sim::runFrame();
        sim::keyDown(kMenuKey);
        sim::keyUp(kMenuKey);
        sim::runFrames(20); // parked in the menu's wait when it is unloaded
        sim::detach();
        if (cycle <= 2) settled = heapInUse(); // the first load sizes the host's logs
        ASSERT_EQ(heapInUse(), settled) << "bytes in use after load cycle " << cycle;
    }
}

TEST_F(Script, MenuKeyTapOpensTheMenuOnlyWithinItsTapTimeOfTheRelease) {
    sim::runFrame();
    sim::keyDown(kMenuKey);
    sim::keyUp(kMenuKey);
    sim::advance(kTappedFor); // the script tests it kTappedFor after the release: too late
    sim::runFrame();
    EXPECT_TRUE(sim::lastFrame().texts.empty());

    sim::keyDown(kMenuKey);
    sim::keyUp(kMenuKey);
    sim::advance(kTappedFor - 1);
    sim::runFrame();
    EXPECT_EQ(sim::screenLine(sim::lastFrame()), mainMenuAt(0));
    EXPECT_EQ(keyWordReleased(keyTable[kMenuKey].message), false) << "the tap was consumed";
}

} // namespace
