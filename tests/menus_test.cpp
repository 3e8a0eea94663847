#include <algorithm>
#include <cmath>

#include "clothing/slots.h"
#include "input/key_table.h"
#include "plugin_fixture.h"
#include "row_layout.h"
#include "simhost/screen.h"
#include "ui/menus.h"
#include "ui/status_line.h"

namespace {

// A wait of the design's, as the stand-in's 16 ms frames end it.
constexpr DWORD inWholeFrames(DWORD ms) { return (ms + 15) / 16 * 16; }

const std::string kMainRow0 = mainMenuAt(0);
const std::string kMainRow1 = mainMenuAt(1);
// The row up from the first, "Close Menu".
const std::string kMainLastRow = mainMenuAt(kMainMenuRows - 1);

class Menus : public PluginTest {
  protected:
    // Strict about the ped: every read of it gives another handle, and only
    // the latest may be used.
    void SetUp() override {
        PluginTest::SetUp();
        sim::game().freshPedEachCall = true;
        sim::runFrame();
    }
    static std::string screen() { return sim::screenLine(sim::lastFrame()); }
    // A fresh host and a fresh load, for a table of scenarios in one test.
    static void restart() {
        sim::detach();
        sim::stopScript();
        EXPECT_EQ(sim::protocolErrors(), std::vector<std::string>{});
        sim::reset();
        harness::resetPluginState();
        sim::game().freshPedEachCall = true;
        sim::attach(DllMain);
        sim::runFrame();
    }
    // The clothing menu with row `row` highlighted.
    static std::string clothingAt(int row) {
        return menuAt("Clothing Menu", kClothingRows, kClothingMenuRows, row);
    }
    // Runs frames until the screen starts with `expected`; the frames it took.
    static int runUntilScreen(const std::string& expected, int maxFrames = 400) {
        for (int frames = 1; frames <= maxFrames; ++frames) {
            sim::runFrame();
            if (screen().rfind(expected, 0) == 0) return frames;
        }
        ADD_FAILURE() << "never showed: " << expected << "\nlast: " << screen();
        return -1;
    }
    static void openMainMenu() {
        sim::keyDown(kMenuKey);
        sim::keyUp(kMenuKey);
        sim::runFrame();
    }
    // Presses `key`, keeps it down until the screen shows `expected`, releases.
    static void pressUntil(DWORD key, const std::string& expected) {
        sim::keyDown(key);
        runUntilScreen(expected);
        sim::keyUp(key);
    }
    static void openClothingMenu() {
        openMainMenu();
        pressUntil(kKeyNumpad5, "Clothing Menu");
    }
    static bool isMenuShown() { return screen().find(':') < screen().find('|'); }
    // Runs frames until no menu is drawn; the frames it took.
    static int runUntilClosed(int maxFrames = 400) {
        for (int frames = 1; frames <= maxFrames; ++frames) {
            sim::runFrame();
            if (!isMenuShown()) return frames;
        }
        ADD_FAILURE() << "menu never closed: " << screen();
        return -1;
    }
    // Runs frames until `probe` (the screen, the status line's deadline...)
    // has changed `count` times; the ticks of the frames it changed in. A
    // probe that stops changing fails the test with what it saw, after
    // `maxFrames` frames, instead of running on.
    template <typename Probe>
    static std::vector<DWORD> ticksOfChanges(Probe probe, std::size_t count, int maxFrames = 3000) {
        std::vector<DWORD> ticks;
        auto seen = probe();
        for (int frame = 0; frame < maxFrames && ticks.size() < count; ++frame) {
            sim::runFrame();
            if (probe() != seen) ticks.push_back(sim::lastFrame().tick);
            seen = probe();
        }
        if (ticks.size() < count)
            ADD_FAILURE() << "saw " << ticks.size() << " of " << count << " changes in "
                          << maxFrames << " frames; the screen at the end: " << screen();
        return ticks;
    }
    static bool menuClosedFor(int frames) {
        for (int i = 0; i < frames; ++i) {
            sim::runFrame();
            if (isMenuShown()) return false;
        }
        return true;
    }
};

// The rows' arguments: the title, the rows in ascending order but the
// highlighted one, which comes last with its larger box.
TEST_F(Menus, FrameDrawsTitleThenRowsThenTheHighlightedRow) {
    sim::game().forcedLineCount = 1;
    openClothingMenu();
    pressUntil(kKeyNumpad2, clothingAt(1));
    const sim::Frame& frame = sim::lastFrame();
    std::vector<std::string> order = {"Clothing Menu"};
    for (int i = 0; i < kClothingMenuRows; ++i) {
        if (i != 1) order.emplace_back(kClothingRows[i]);
    }
    order.emplace_back(kClothingRows[1]);
    EXPECT_EQ(drawnTexts(frame), order);
    // Every float of every row, bit for bit, from the layout table: width,
    // inset, top and caption left in pixels of the 1280 x 720 screen.
    std::vector<Layout> rows = {Layout{250, 15, 18, 5, 1280, 720, 1, 0.5f}};
    for (int i = 0; i < kClothingMenuRows; ++i) {
        if (i != 1) rows.push_back(Layout{250, 9, 60.0f + 36.0f * i, 9, 1280, 720, 1, 0.35f});
    }
    rows.push_back(Layout{251, 11, 92, 7, 1280, 720, 1, 0.4f});
    std::vector<std::uint32_t> expected;
    for (const Layout& row : rows) {
        const std::vector<std::uint32_t> floats = layoutFloats(row, kAsWritten);
        expected.insert(expected.end(), floats.begin(), floats.end());
    }
    EXPECT_EQ(handedFloats(frame), expected);
    EXPECT_EQ(frame.calls.size(), (1u + kClothingMenuRows) * 21 + 4);
}

// Holding a move key moves a row every kMoveWait (rounded up to whole 16 ms
// frames); holding select repeats the action every kSelectWait.
TEST_F(Menus, HeldKeysRepeatAtTheMenuPace) {
    openClothingMenu();
    sim::keyDown(kKeyNumpad2);
    const std::vector<DWORD> moves =
        ticksOfChanges(screen, static_cast<std::size_t>(kClothingMenuRows) + 1);
    sim::keyUp(kKeyNumpad2);
    for (std::size_t i = 1; i < moves.size(); ++i)
        EXPECT_EQ(moves[i] - moves[i - 1], inWholeFrames(kMoveWait))
            << "ms between move " << i << " and the next, a held numpad 2 (kMoveWait " << kMoveWait
            << " ms in 16 ms frames)";
    EXPECT_EQ(screen(), clothingAt(1)) << "one move more than there are rows wraps to row 1";

    sim::keyDown(kKeyNumpad5);
    const std::vector<DWORD> shows = ticksOfChanges([] { return statusUntil; }, 4);
    sim::keyUp(kKeyNumpad5);
    for (std::size_t i = 1; i < shows.size(); ++i)
        EXPECT_EQ(shows[i] - shows[i - 1], inWholeFrames(kSelectWait))
            << "ms between switch " << i << " and the next, a held numpad 5 (kSelectWait "
            << kSelectWait << " ms in 16 ms frames)";
    EXPECT_EQ(currentSlotName, "Legs") << "four switches from Face";
}

TEST_F(Menus, KeyPressedAndReleasedWithinOneWaitIsNotActedOn) {
    openMainMenu();
    sim::runFrames(2);
    sim::keyDown(kKeyNumpad2); // inside kMoveWait after opening
    sim::runFrames(3);
    sim::keyUp(kKeyNumpad2);
    sim::runFrames(30);
    EXPECT_EQ(screen(), kMainRow0);

    pressUntil(kKeyNumpad8, kMainLastRow);
    sim::keyDown(kKeyNumpad5); // inside kMoveWait after the move
    sim::runFrame();
    sim::keyUp(kKeyNumpad5);
    sim::runFrames(30);
    EXPECT_EQ(screen(), kMainLastRow) << "the last row, \"Close Menu\", was not chosen";
}

// Every pair of held keys, in both menus, from row 0: the first key test acts
// on the stronger key only (select, then back, then up, then down).
TEST_F(Menus, OfTwoHeldKeysTheStrongerActs) {
    struct Role {
        DWORD key;
        int rank; // 0 select, 1 back, 2 up, 3 down
    };
    const Role roles[] = {
        {kKeyNumpad5, 0}, {kKeyNumpad0, 1}, {kKeyBackspace, 1}, {kKeyNumpad8, 2}, {kKeyNumpad2, 3}};
    // The first screen after the key test, by the winner's rank.
    const std::string mainOutcome[] = {clothingAt(0), "", kMainLastRow, kMainRow1};
    const std::string clothingOutcome[] = {clothingAt(0) + " | [Face]: 0,(46),0,(1)", kMainRow0,
                                           clothingAt(kClothingMenuRows - 1), clothingAt(1)};
    for (bool inClothing : {false, true}) {
        for (const Role& a : roles) {
            for (const Role& b : roles) {
                if (a.key >= b.key) continue;
                restart();
                inClothing ? openClothingMenu() : openMainMenu();
                const std::string opened = screen();
                sim::keyDown(a.key);
                sim::keyDown(b.key);
                for (int i = 0; i < 30 && screen() == opened; ++i) sim::runFrame();
                const int winner = std::min(a.rank, b.rank);
                EXPECT_EQ(screen(), inClothing ? clothingOutcome[winner] : mainOutcome[winner])
                    << keyName(a.key) << " and " << keyName(b.key) << " held";
            }
        }
    }
}

// Select held with a fresh release of the menu key: the back test still runs
// in the same pass and consumes the tap, so select acts and the tap is gone.
TEST_F(Menus, SelectWithAMenuKeyTapActsAndConsumesTheTap) {
    for (bool inClothing : {false, true}) {
        restart();
        inClothing ? openClothingMenu() : openMainMenu();
        const std::string opened = screen();
        sim::runFrames(7); // the key test comes within kTappedFor of the tap
        sim::keyDown(kMenuKey);
        sim::keyUp(kMenuKey);
        sim::keyDown(kKeyNumpad5);
        for (int i = 0; i < 30 && screen() == opened; ++i) sim::runFrame();
        sim::keyUp(kKeyNumpad5);
        EXPECT_EQ(screen(), inClothing ? clothingAt(0) + " | [Face]: 0,(46),0,(1)" : clothingAt(0));
        EXPECT_EQ(keyTable[kMenuKey].message, 0u) << "the menu key's record, emptied with the tap";
        sim::runFrames(30);
        EXPECT_EQ(screen().substr(0, 14), "Clothing Menu:") << "still open";
    }
}

// Windows repeats the press of a key held down. The menu key's repeats are
// presses, so only its release is a tap; held keys stay held past kHeldFor
// while their repeats come, and stop reading held kHeldFor after the last
// press without.
TEST_F(Menus, AutoRepeatKeepsKeysHeldAndNeverTapsTheMenuKey) {
    sim::keyDown(kMenuKey);
    EXPECT_TRUE(menuClosedFor(150)) << "2.4 s of the menu key's repeats open nothing";
    sim::keyUp(kMenuKey);
    sim::runFrame();
    EXPECT_EQ(screen(), kMainRow0);
    sim::keyDown(kMenuKey);
    sim::runFrames(150);
    EXPECT_EQ(screen(), kMainRow0) << "nor close the menu";
    sim::keyUp(kMenuKey);
    EXPECT_EQ(runUntilClosed(), 1) << "frames until the menu closed after the menu key's release";

    for (bool repeats : {true, false}) {
        restart();
        if (!repeats) sim::setKeyRepeat(0, 0);
        openClothingMenu();
        sim::keyDown(kKeyNumpad2);
        int moves = 0;
        std::string shown = screen();
        for (DWORD start = sim::now(); sim::now() - start < 8000;) {
            sim::runFrame();
            moves += screen() != shown;
            shown = screen();
        }
        sim::keyUp(kKeyNumpad2);
        // A move every kMoveWait in whole frames: for the 8 s with repeats,
        // for kHeldFor without.
        const DWORD heldFor = repeats ? 8000 : kHeldFor;
        EXPECT_EQ(moves, static_cast<int>(heldFor / inWholeFrames(kMoveWait)))
            << "moves while numpad 2 was held for 8 s, " << (repeats ? "with" : "without")
            << " Windows' repeats (kMoveWait " << kMoveWait << " ms, kHeldFor " << kHeldFor
            << " ms)";
    }
}

// The times the design fixes, as literals on purpose: a change of one shows
// here, named, while the tests below take the plug-in's constants.
TEST(Design, FixesTheseTimes) {
    const std::tuple<const char*, DWORD, DWORD> times[] = {
        {"status line shown, ms", kStatusTime, 5000},
        {"wait after a move, ms", kMoveWait, 150},
        {"wait after a select, ms", kSelectWait, 200},
        {"a release is a tap for, ms", kTappedFor, 100},
        {"a press is held for, ms", kHeldFor, 5000}};
    for (const auto& [what, constant, designed] : times) EXPECT_EQ(constant, designed) << what;
}

// Where a sweep over many points first went wrong, and how many points did:
// one message for the whole sweep.
struct SweepMismatches {
    int count = 0;
    std::string first;
    void check(bool good, const std::string& where) {
        if (good) return;
        if (count++ == 0) first = where;
    }
    std::string summary() const {
        return count == 0 ? "" : std::to_string(count) + " points differ, the first " + first;
    }
};

// The waits are milliseconds, not frames: the same pace at any frame length,
// even and uneven, and the status line lasts its time in them.
TEST_F(Menus, WaitsAndTheStatusLineKeepTheirTimeAtAnyFrameLength) {
    // The last: a clock that moves every other frame, as GetTickCount's
    // coarse steps do at a high frame rate.
    const std::vector<std::vector<DWORD>> paces = {
        {1}, {7}, {16}, {33}, {50}, {5, 23, 16, 41, 9}, {16, 0}};
    for (const std::vector<DWORD>& pace : paces) {
        restart();
        sim::setFrameTimes(pace);
        sim::game().forcedLineCount = 1; // no text layout: thousands of frames stay cheap
        const DWORD longest = *std::max_element(pace.begin(), pace.end());
        openClothingMenu();
        // Idle, the menu tests its keys at every frame, whether the clock
        // moved or not: a press shows at the next one.
        for (int parity = 0; parity < 2; ++parity) {
            sim::runFor(400);
            sim::runFrames(parity);
            const std::string before = screen();
            const DWORD key = parity == 0 ? kKeyNumpad8 : kKeyNumpad2; // up, then back down
            sim::keyDown(key);
            sim::runFrame();
            sim::keyUp(key);
            EXPECT_NE(screen(), before) << pace[0] << " ms frames, parity " << parity;
        }
        // A wait ends with the first frame at or past its time.
        const auto expectPace = [&](const std::vector<DWORD>& ticks, DWORD wait) {
            SweepMismatches mismatches;
            for (std::size_t i = 1; i < ticks.size(); ++i) {
                const DWORD gap = ticks[i] - ticks[i - 1];
                const DWORD frames = (wait + pace[0] - 1) / pace[0] * pace[0];
                mismatches.check(pace.size() > 1 || gap == frames, "gap " + std::to_string(gap) +
                                                                       " ms, not " +
                                                                       std::to_string(frames));
                mismatches.check(gap >= wait && gap < wait + longest,
                                 "gap " + std::to_string(gap) + " ms outside [" +
                                     std::to_string(wait) + ", " + std::to_string(wait + longest) +
                                     ")");
            }
            EXPECT_EQ(mismatches.summary(), "") << pace[0] << " ms frames, wait " << wait;
        };
        std::vector<DWORD> moves{sim::lastFrame().tick};
        sim::keyDown(kKeyNumpad2);
        // Down to the last row, from where two moves wrap round to row 1.
        const std::vector<DWORD> downs =
            ticksOfChanges(screen, static_cast<std::size_t>(kClothingMenuRows) - 1, 20000);
        moves.insert(moves.end(), downs.begin(), downs.end());
        sim::keyUp(kKeyNumpad2);
        expectPace(moves, kMoveWait);

        pressUntil(kKeyNumpad2, clothingAt(1)); // "Switch Player Clothing Data"
        sim::keyDown(kKeyNumpad5);
        const std::vector<DWORD> shows = ticksOfChanges([] { return statusUntil; }, 4, 20000);
        sim::keyUp(kKeyNumpad5);
        expectPace(shows, kSelectWait);
        ASSERT_FALSE(shows.empty()) << pace[0] << " ms frames: select never showed a line";

        const DWORD shownAt = shows.back();
        sim::keyDown(kKeyNumpad0); // closed menus make cheap frames
        runUntilClosed();
        sim::keyUp(kKeyNumpad0);
        SweepMismatches mismatches;
        for (DWORD elapsed = 0; elapsed < kStatusTime + 200; elapsed = sim::now() - shownAt) {
            sim::runFrame();
            const DWORD at = sim::lastFrame().tick - shownAt;
            const bool drawn = screen().find(" | [") != std::string::npos;
            mismatches.check(drawn == (at < kStatusTime),
                             std::string("at ") + std::to_string(at) +
                                 " ms: " + (drawn ? "shown" : "not shown"));
        }
        EXPECT_EQ(mismatches.summary(), "")
            << pace[0] << " ms frames, a status line of " << kStatusTime << " ms";
    }
}

// Only Drapelle's six keys act. Every other key code, held past every wait
// (and into its repeats), released and tapped, leaves every frame as it would
// have been without it: menu closed and in both menus.
TEST_F(Menus, KeysThatAreNotDrapellesDoNothing) {
    // Drapelle's keys as a keyboard sends them, from the key table.
    const auto isDrapelles = [](int key) {
        return std::any_of(std::begin(harness::kDrapelleKeys), std::end(harness::kDrapelleKeys),
                           [key](const harness::NamedKey& named) {
                               return named.code == static_cast<DWORD>(key);
                           });
    };
    const std::pair<const char*, void (*)()> states[] = {
        {"menu closed", [] {}},
        {"in the top menu", openMainMenu},
        {"in the clothing menu", openClothingMenu}};
    // Every frame from the state on, as a fingerprint of the calls it made
    // and their arguments (text read as drawn); key < 0 is none.
    const auto play = [](void (*reach)(), int key) {
        restart();
        sim::game().forcedLineCount = 1; // no text layout: thousands of frames stay cheap
        reach();
        std::vector<std::uint64_t> frames;
        const auto runAndRecord = [&](DWORD milliseconds) {
            for (const DWORD start = sim::now(); sim::now() - start < milliseconds;) {
                sim::runFrame();
                std::uint64_t print = 14695981039346656037u;
                const auto mix = [&print](std::uint64_t value) {
                    print = (print ^ value) * 1099511628211u;
                };
                for (const sim::NativeCall& call : sim::lastFrame().calls) {
                    mix(call.hash);
                    // Values, not addresses: a text as it read, an out-pointer not at all.
                    const char* kinds = sim::findNative(call.hash)->args;
                    for (int i = 0; i < call.argCount; ++i)
                        if (kinds[i] != 's' && kinds[i] != 'p') mix(call.args[i]);
                    for (const char c : call.text) mix(static_cast<unsigned char>(c));
                }
                frames.push_back(print);
            }
        };
        const auto press = [&](bool down) {
            if (key < 0) return;
            down ? sim::keyDown(static_cast<DWORD>(key)) : sim::keyUp(static_cast<DWORD>(key));
        };
        press(true);
        runAndRecord(kSelectWait + kMoveWait + 600);
        press(false);
        runAndRecord(300);
        press(true);
        press(false);
        runAndRecord(300);
        return frames;
    };
    for (const auto& [state, reach] : states) {
        const std::vector<std::uint64_t> untouched = play(reach, -1);
        std::string acted; // the first few keys that acted, then how many in all
        int acting = 0;
        for (int key = 0; key < static_cast<int>(kKeyCount); ++key) {
            if (isDrapelles(key)) continue;
            const std::vector<std::uint64_t> frames = play(reach, key);
            const auto differ =
                std::mismatch(frames.begin(), frames.end(), untouched.begin(), untouched.end());
            if (differ.first == frames.end() && differ.second == untouched.end()) continue;
            if (++acting > 5) continue;
            acted += "\n  " + keyName(static_cast<DWORD>(key)) + ": from frame " +
                     std::to_string(differ.first - frames.begin()) + " of " +
                     std::to_string(untouched.size()) + ", ending on \"" + screen() + "\"";
        }
        EXPECT_EQ(acting, 0) << "keys that changed what Drapelle did " << state << ":" << acted
                             << (acting > 5 ? "\n  ..." : "");
    }
}

// The top menu tests its keys kSelectWait after the clothing menu returns: a back
// key still down then closes it too; released earlier, it stays.
TEST_F(Menus, BackKeyStillHeldAfterTheClothingMenuClosesTheTopMenuToo) {
    openClothingMenu();
    sim::keyDown(kKeyNumpad0);
    runUntilScreen("Drapelle");
    sim::runFrames(3);
    sim::keyUp(kKeyNumpad0); // released within the top menu's kSelectWait
    sim::runFrames(30);
    EXPECT_EQ(screen(), kMainRow0);

    pressUntil(kKeyNumpad5, "Clothing Menu");
    sim::keyDown(kKeyBackspace);
    runUntilScreen("Drapelle");
    EXPECT_EQ(runUntilClosed(), 13) << "200 ms in 16 ms frames";
    sim::keyUp(kKeyBackspace);
    EXPECT_TRUE(menuClosedFor(30));
}

// The menu key tapped while a back key is held in the top menu: the held key
// closes the menu and leaves the tap, which reopens it if the script sees it
// in time.
TEST_F(Menus, MenuKeyTappedWhileBackIsHeldReopensTheMenu) {
    openMainMenu();
    sim::runFrames(3);
    sim::keyDown(kKeyNumpad0);
    sim::runFrames(3);
    sim::keyDown(kMenuKey);
    sim::keyUp(kMenuKey);
    sim::runFrames(3);
    EXPECT_EQ(screen(), kMainRow0);
    sim::runFrame(); // kMoveWait after opening: the keys are tested
    EXPECT_EQ(screen(), "") << "closed by the held key";
    EXPECT_EQ(keyWordReleased(keyTable[kMenuKey].message), true) << "the tap is still there";
    sim::keyUp(kKeyNumpad0);
    sim::runFrame(); // 64 ms after the tap, the script's own test sees it
    EXPECT_EQ(screen(), kMainRow0);
}

TEST_F(Menus, ClothingRowsHandEachActionAFreshPedAndSlotName) {
    openClothingMenu();
    pressUntil(kKeyNumpad8, clothingAt(4));
    pressUntil(kKeyNumpad8, clothingAt(3));
    sim::game().freshPedEachCall = false; // one handle, to read the sequence
    sim::game().playerPed = 0x33;
    sim::keyDown(kKeyNumpad5);
    runUntilScreen(clothingAt(3) + " |");
    sim::keyUp(kKeyNumpad5);
    std::vector<std::string> actionCalls;
    for (const std::string& call : sim::describeCalls(sim::lastFrame())) {
        if (call.rfind("ped", 0) == 0 || call.rfind("setPed", 0) == 0 || call == "playerPed()")
            actionCalls.push_back(call);
    }
    // The step, then the show, each after its own read of the ped; then the
    // frame's own checks read the ped once more.
    EXPECT_EQ(actionCalls,
              (std::vector<std::string>{
                  "playerPed()", "pedDrawable(51, 0)", "pedTexture(51, 0)",
                  "pedTextureCount(51, 0, 0)", "setPedVariation(51, 0, 0, 0, 0)", "playerPed()",
                  "pedDrawable(51, 0)", "pedTexture(51, 0)", "pedDrawableCount(51, 0)",
                  "pedTextureCount(51, 0, 0)", "playerPed()"}));
    EXPECT_EQ(screen(), clothingAt(3) + " | [Face]: 0,(46),0,(1)") << "one texture wraps to 0";

    pressUntil(kKeyNumpad2, clothingAt(4));
    sim::setVariation(0x33, 2, {5, 1, 1});
    showStatus("kept");
    sim::keyDown(kKeyNumpad5);
    sim::runFrames(14);
    sim::keyUp(kKeyNumpad5);
    EXPECT_EQ(sim::variationOf(0x33, 2), (sim::Variation{0, 0, 0}));
    EXPECT_EQ(screen(), clothingAt(4) + " |kept");
}

// Every row of the clothing menu, chosen once from a fresh load with Face on
// drawable 1 (of 46; 2 textures), does what its caption says to the screen
// and the character. A row whose caption this table does not know fails: a
// new row comes with what it does.
TEST_F(Menus, EveryClothingRowDoesWhatItsCaptionSays) {
    const struct {
        const char* caption;
        const char* status; // the status line after it, "" for none
        sim::Variation face;
        const char* slot; // the current slot after it
    } rows[] = {
        {"Show Player Clothing Data", " [Face]: 1,(46),0,(2)", {1, 0, 0}, "Face"},
        {"Switch Player Clothing Data", " [Head]: 0,(3),0,(2)", {1, 0, 0}, "Head"},
        {"Skin/Clothing Change", " [Face]: 2,(46),0,(3)", {2, 0, 0}, "Face"},
        {"Skin/Clothing Texture Change", " [Face]: 1,(46),1,(2)", {1, 1, 0}, "Face"},
        {"Default Skin", "", {0, 0, 0}, "Face"},
    };
    for (int row = 0; row < kClothingMenuRows; ++row) {
        const std::string caption(kClothingRows[row]);
        const auto known = std::find_if(std::begin(rows), std::end(rows), [&](const auto& entry) {
            return caption == entry.caption;
        });
        if (known == std::end(rows)) {
            ADD_FAILURE() << "row " << row << ", \"" << caption
                          << "\": this test does not know what it does";
            continue;
        }
        restart();
        sim::setVariation(sim::game().playerPed, 0, {1, 0, 0});
        openClothingMenu();
        for (int down = 1; down <= row; ++down) pressUntil(kKeyNumpad2, clothingAt(down));
        sim::runFor(kSelectWait); // idle: the menu tests its keys every frame
        sim::keyDown(kKeyNumpad5);
        sim::runFrames(3); // one select: less than the wait after it
        sim::keyUp(kKeyNumpad5);
        sim::runFrames(2);
        const std::string status = *known->status ? std::string(" |") + known->status : "";
        EXPECT_EQ(screen(), clothingAt(row) + status) << caption;
        EXPECT_EQ(sim::variationOf(sim::game().playerPed, 0), known->face) << caption;
        EXPECT_EQ(std::string(currentSlotName), known->slot) << caption;
    }
}

// Every row of the top menu, chosen once from a fresh load, does what its
// caption says: the screen a few frames later. selectMainRow picks by
// position, so a row moved or added without its case fails here.
TEST_F(Menus, EveryMainRowDoesWhatItsCaptionSays) {
    const std::pair<const char*, std::string> rows[] = {
        {"Skin/Clothing Change", clothingAt(0)},
        {"Close Menu", ""},
    };
    for (int row = 0; row < kMainMenuRows; ++row) {
        const std::string caption(kMainRows[row]);
        const auto known = std::find_if(std::begin(rows), std::end(rows),
                                        [&](const auto& entry) { return caption == entry.first; });
        if (known == std::end(rows)) {
            ADD_FAILURE() << "row " << row << ", \"" << caption
                          << "\": this test does not know what it does";
            continue;
        }
        restart();
        openMainMenu();
        for (int down = 1; down <= row; ++down) pressUntil(kKeyNumpad2, mainMenuAt(down));
        sim::runFor(kSelectWait);
        sim::keyDown(kKeyNumpad5);
        sim::runFrames(3);
        sim::keyUp(kKeyNumpad5);
        sim::runFrames(2);
        EXPECT_EQ(screen(), known->second) << caption;
    }
}

// While the character is dead the open menu is neither drawn nor tested;
// when the hold ends after the deadline, the keys are tested at once.
TEST_F(Menus, DeathHoldsTheMenuWhichTestsItsKeysAsSoonAsItEnds) {
    openMainMenu();
    sim::game().dead = true;
    sim::keyDown(kKeyNumpad2);
    sim::runFrames(40);
    EXPECT_EQ(sim::lastFrame().calls.size(), 2u) << "natives a frame while dead: the two checks";
    EXPECT_EQ(mainMenuIndex, 0) << "the top menu's row after numpad 2 held while dead";
    sim::game().dead = false;
    sim::runFrame(); // the held pass ends with its wait
    EXPECT_EQ(screen(), "");
    sim::runFrame();
    EXPECT_EQ(screen(), kMainRow1) << "moved without another kMoveWait";
    sim::keyUp(kKeyNumpad2);
}

// A wait lasts its full time whenever it starts: across the tick counter's
// wrap, and right after it, while the tick is still below the wait.
TEST_F(Menus, WaitsLastTheirFullTimeAtAnyTick) {
    for (DWORD start : {0xFFFFFFFFu - 40, 0u, 20u}) {
        restart();
        sim::setTick(start);
        openMainMenu();
        sim::keyDown(kKeyNumpad2);
        const int frames = runUntilScreen(kMainRow1);
        sim::keyUp(kKeyNumpad2);
        EXPECT_EQ(frames, static_cast<int>(inWholeFrames(kMoveWait) / 16))
            << "frames until a held numpad 2 moved, kMoveWait (" << kMoveWait
            << " ms) in 16 ms frames from tick " << start;
    }
}

} // namespace
