#include <regex>
#include <set>
#include <sstream>

#include "clothing/slots.h"
#include "harness/call_record.h"
#include "harness/scenario.h"
#include "input/key_table.h"
#include "menu_reach.h"
#include "plugin_fixture.h"
#include "simhost/screen.h"
#include "ui/menus.h"
#include "ui/status_line.h"

namespace {

std::string parseError(const std::string& text) {
    std::istringstream in(text);
    harness::Scenario scenario;
    std::string error;
    if (harness::parseScenario(in, "test.txt", scenario, error)) return "parsed";
    EXPECT_TRUE(scenario.events.empty()) << "nothing of a bad scenario is kept";
    return error;
}

TEST(ScenarioFile, BadLinesAreNamedWithTheirNumberAndWhatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {"0 tap F9\n# fine\n\n120 tap Num10\n",
         "test.txt:4: unknown key 'Num10' (@KEYS@, or a code 0 to 4294967295, such as 65 or 0x41)"},
        {"zero tap F9\n", "test.txt:1: time 'zero' is not a number (0 to 2147483647)"},
        {"-5 tap F9\n", "test.txt:1: time '-5' is negative (0 to 2147483647)"},
        {"10 jump\n", "test.txt:1: unknown action 'jump'"},
        {"10\n", "test.txt:1: an action must follow the time"},
        {"0 tap\n", "test.txt:1: tap needs a key"},
        {"10 hold Num5\n", "test.txt:1: hold needs a duration in ms after the key"},
        {"0 hold Num5 -5\n", "test.txt:1: hold duration '-5' is negative (1 to 600000)"},
        {"0 hold Num5 99999999999999999999\n",
         "test.txt:1: hold duration '99999999999999999999' is out of range (1 to 600000)"},
        {"10 tap F9 now\n", "test.txt:1: too many words"},
        {"10 dead maybe\n", "test.txt:1: dead needs on or off"},
        {"10 screen 1280\n", "test.txt:1: screen needs a width and a height"},
        {"0 screen 99999999999 720\n",
         "test.txt:1: screen width '99999999999' is out of range (-100000 to 100000)"},
        {"500 tap F9\n400 tap F9\n", "test.txt:2: time goes backwards"},
        {"100+kStatus-5 end\n",
         "test.txt:1: time '100+kStatus-5' is not one (0 to 2147483647 ms, or a sum such as "
         "1000+kStatusTime-10 of ms and kMoveWait, kSelectWait, kStatusTime, kHeldFor, "
         "kTappedFor)"},
        {"0 tap \x1b[2J\x7f\n",
         "test.txt:1: unknown key '\\x1B[2J\\x7F' (@KEYS@, or a code 0 to 4294967295, such as 65 "
         "or 0x41)"},
        {"0x10 tap F9\n", "test.txt:1: time '0x10' is hexadecimal; numbers in a scenario are "
                          "decimal (0 to 2147483647)"},
        {"0 hold Num5 0x20\n", "test.txt:1: hold duration '0x20' is hexadecimal; numbers in a "
                               "scenario are decimal (1 to 600000)"},
        {"0 tap 0x100000000\n", "test.txt:1: unknown key '0x100000000' (@KEYS@, or a code 0 to "
                                "4294967295, such as 65 or 0x41)"},
        {"", "test.txt has no events"},
        {"# comments only\n\n   # and blanks\n", "test.txt has no events"},
        {"0 select\n",
         "test.txt:1: select needs a row: its caption, or its number from 1 at the top"},
        {"0 select 0\n", "test.txt:1: row '0' is out of range (1 to 99)"},
        {"0 hold Num5 300\n100 tap F9\r\n 200 note text # kept\n", "parsed"}};
    // @KEYS@: the key names, which the documents' test checks.
    for (auto [text, error] : cases) {
        std::string expected = error;
        if (const std::size_t at = expected.find("@KEYS@"); at != std::string::npos)
            expected.replace(at, 6, harness::scenarioKeyNames());
        EXPECT_EQ(parseError(text), expected) << text;
    }
}

// Numbers are decimal whatever their leading zeros, a key code may be written
// in hexadecimal, a note is all that follows its action, and '#' after a
// blank starts a comment on any line, an expectation's included: its text
// ends before it.
TEST(ScenarioFile, DecimalTimesAndCommentsAfterEvents) {
    std::istringstream in("0300 hold Num5 0200 # select\n"
                          "0800 tap 0x41\t# after a tab\n"
                          "0900 expect screen Clothing Menu: [a#b] Row   # the screen, then this\n"
                          "1000 note 0 down, a word of its time # and a comment\n"
                          "1000+kSelectWait-1 note Up\n");
    harness::Scenario scenario;
    std::string error;
    ASSERT_TRUE(harness::parseScenario(in, "test.txt", scenario, error)) << error;
    std::vector<std::string> events;
    for (const harness::ScenarioEvent& event : scenario.events)
        events.push_back(std::to_string(event.at) + " " + event.text + " " +
                         std::to_string(event.key));
    const std::string numpad5 = std::to_string(kKeyNumpad5);
    EXPECT_EQ(events, (std::vector<std::string>{"300 hold Num5 0200 " + numpad5,
                                                "500 release Num5 " + numpad5, "800 tap 0x41 65",
                                                "900 Clothing Menu: [a#b] Row 0",
                                                "1000 0 down, a word of its time 0",
                                                std::to_string(999 + kSelectWait) + " Up 0"}));
}

using Demo = PluginTest;

// A failed expectation names its file and line and shows the expected and the
// actual line one under the other, and counts as failed in the summary.
TEST_F(Demo, FailedExpectationShowsBothLinesAligned) {
    const std::string opened = mainMenuAt(0), wrong = mainMenuAt(1);
    std::istringstream in("0 tap F9\n300 expect screen " + wrong + " # wrong\n300 expect screen " +
                          opened + "\n300 expect screen \t  " + opened + "\n");
    harness::Scenario scenario;
    std::string error;
    ASSERT_TRUE(harness::parseScenario(in, "test.txt", scenario, error)) << error;
    std::ostringstream transcript;
    EXPECT_EQ(harness::playScenario(scenario, transcript), 1);
    const std::string out = transcript.str();
    const std::string lines =
        "\n    expected: \"" + wrong + "\"\n    actual:   \"" + opened + "\"\n";
    EXPECT_NE(out.find("  FAILED: test.txt:2: expect screen" + lines +
                       "                         ^ first difference, column 11\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("2 expectations passed, 1 failed"), std::string::npos) << out;
}

// "..." in an expected screen line stands for any rows, never for the status
// line; the first difference is marked where the text after it cannot be.
TEST_F(Demo, DotsInAScreenLineStandForAnyRows) {
    const std::string first = "Drapelle: [" + std::string(kMainRows[0]) + "]";
    std::istringstream in("0 tap F9\n100 hold Num5 100\n400 hold Num5 100\n"
                          "600 expect screen ...\n"
                          "600 expect screen Drapelle: ... | [Face]: 0,(46),0,(1)\n"
                          "600 expect screen Clothing ... | [Face]: 0,(46),0,(1)\n"
                          "600 expect screen Clothing Menu: [...] ... | ...\n"
                          "600 expect screen Clothing Menu: ...ZZZ ... | [Face]: 0,(46),0,(1)\n"
                          "1500 hold Backspace 300\n2000 expect screen " +
                          first + " ...\n");
    harness::Scenario scenario;
    std::string error;
    ASSERT_TRUE(harness::parseScenario(in, "dots.txt", scenario, error)) << error;
    std::ostringstream transcript;
    EXPECT_EQ(harness::playScenario(scenario, transcript), 4);
    const std::string out = transcript.str();
    for (const char* failed : {"dots.txt:4:", "dots.txt:5:", "dots.txt:8:", "dots.txt:10:"})
        EXPECT_NE(out.find(std::string("FAILED: ") + failed), std::string::npos) << out;
    const std::size_t zzz = out.find("FAILED: dots.txt:8:");
    EXPECT_EQ(out.find("^ first difference, column 16\n", zzz), out.find("^ first", zzz))
        << "line 8 parts where its \"...\" starts\n"
        << out;
}

// A select reaches its row with numpad 8 or 2, the shorter way round, and
// selects it once; one that cannot fails, naming its line and why.
TEST_F(Demo, SelectReachesItsRowTheShorterWayAndActsOnce) {
    std::istringstream in(
        "0 tap F9\n100 select " + std::string(kMainRows[0]) +
        "\n700 select 3\n1500 select 1\n"
        "2300 expect character Face drawable 1 texture 0 palette 0\n"
        "2300 expect screen Clothing Menu: [" +
        std::string(kClothingRows[0]) +
        "] ... | [Face]: 1,(46),0,(2)\n"
        "2400 select Nowhere\n2495 hold Enter 30\n2500 select 2\n2510 note too soon\n"
        "2530 tap F9\n3500 hold Backspace 500\n4500 select 1\n");
    harness::Scenario scenario;
    std::string error;
    ASSERT_TRUE(harness::parseScenario(in, "select.txt", scenario, error)) << error;
    std::ostringstream transcript;
    EXPECT_EQ(harness::playScenario(scenario, transcript), 3);
    const std::string out = transcript.str();
    std::vector<std::string> keys;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        if (line.find("s  press ") != std::string::npos)
            keys.push_back(line.substr(line.rfind(' ') + 1));
    EXPECT_EQ(keys, (std::vector<std::string>{"Num5", "Num2", "Num5", "Num8", "Num5", "Num2"}))
        << out;
    for (const char* failed : {"select.txt:7: select Nowhere: \"Clothing Menu\" has no such row",
                               "select.txt:9: select 2: line 8 came before it was done",
                               "select.txt:13: select 1: no menu is shown"})
        EXPECT_NE(out.find(std::string("FAILED: ") + failed), std::string::npos) << out;
}

// A key moment's caption names what made it: the status line's end, not a key
// released meanwhile that changed nothing; a key when it changed the screen.
TEST_F(Demo, CaptionsNameTheEventThatMadeEachMoment) {
    std::istringstream in("0 tap F9\n100 hold Num5 100\n400 hold Num5 100\n"
                          "2000 release Num5\n7000 note the end\n");
    harness::Scenario scenario;
    std::string error;
    ASSERT_TRUE(harness::parseScenario(in, "captions.txt", scenario, error)) << error;
    std::vector<std::string> captions;
    std::ostringstream transcript;
    harness::playScenario(scenario, transcript, [&](const sim::Frame&, const std::string& caption) {
        captions.push_back(caption.substr(caption.find('s') + 2));
    });
    EXPECT_EQ(captions, (std::vector<std::string>{"tap F9", "hold Num5 100", "hold Num5 100",
                                                  "the status line's " +
                                                      std::to_string(kStatusTime) + " ms ran out"}))
        << transcript.str();
}

// An expectation's text starts at its first character that is not a blank,
// however many blanks or tabs come before it; the screen it is compared with
// likewise (a screen without a menu starts " |").
TEST_F(Demo, ExpectationsTakeNoBlanksBeforeTheirText) {
    for (const char* separator : {" ", "  ", "\t", " \t "}) {
        sim::reset();
        harness::resetPluginState();
        sim::attach(DllMain);
        std::istringstream in(std::string("0 tap F9\n100 hold Num5 100\n400 hold Num5 100\n"
                                          "700 hold Backspace 300\n1500 expect screen") +
                              separator + "| [Face]: 0,(46),0,(1)\n1500 expect character" +
                              separator + "the default look\n");
        harness::Scenario scenario;
        std::string error;
        ASSERT_TRUE(harness::parseScenario(in, "blanks.txt", scenario, error)) << error;
        std::ostringstream transcript;
        EXPECT_EQ(harness::playScenario(scenario, transcript), 0)
            << "separated by '" << separator << "'\n"
            << transcript.str();
    }
}

// The built-in demo drives every row and ends with the menu closed, the
// character back to its default look and the last line still shown.
constexpr const char* kDemoFile = "harness/scenario.cpp";
TEST_F(Demo, BuiltInScenarioVisitsEveryRowAndEndsClosed) {
    std::istringstream text(harness::builtInScenario());
    harness::Scenario scenario;
    std::string error;
    ASSERT_TRUE(harness::parseScenario(text, "built-in", scenario, error)) << error;
    std::ostringstream transcript;
    harness::playScenario(scenario, transcript);
    const std::string out = transcript.str();
    // The transcript's milestones, in the order they must come.
    std::size_t at = 0;
    for (const char* seen :
         {"+ Drapelle", "+ Clothing Menu", "status:\" [Face]: 0,(46),0,(1)\"",
          "status:\" [Head]: 0,(3),0,(2)\"", "character: Head drawable 2 texture 0 palette 0",
          "character: the default look", "status:\" [Head]: 1,(3),0,(3)\"",
          "character: Head drawable 1 texture 2 palette 0",
          "character: Head drawable 1 texture 0 palette 0", "> Default Skin",
          "character: the default look", "+ Drapelle", "(no menu)"}) {
        const std::size_t found = out.find(seen, at);
        ASSERT_TRUE(found != std::string::npos)
            << "the built-in demo (builtInScenario, in " << kDemoFile << ") never shows \"" << seen
            << "\" after the milestones before it; its transcript from there:\n"
            << out.substr(at);
        at = found;
    }
    EXPECT_EQ(sim::screenLine(sim::lastFrame()), "") << "menu closed, line expired";
    EXPECT_EQ(currentSlotName, "Head");

    // Every row of both menus is chosen at least once: numpad 5 goes down
    // while the transcript last showed that row highlighted.
    std::set<std::string> chosen;
    std::string menu, highlighted;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t text = line.find_first_not_of(' ');
        if (text == std::string::npos) continue;
        if (line.compare(text, 2, "+ ") == 0) menu = line.substr(text + 2);
        if (line.compare(text, 2, "> ") == 0) highlighted = line.substr(text + 2);
        if (line.find("(no menu)") != std::string::npos) menu.clear();
        if (std::regex_search(line, std::regex(R"(s  (hold|press) Num5\b)")) && !menu.empty())
            chosen.insert(menu + ": " + highlighted);
    }
    for (std::int32_t i = 0; i < kMainMenuRows; ++i)
        EXPECT_EQ(chosen.count("Drapelle: " + std::string(kMainRows[i])), 1u)
            << "the built-in demo (" << kDemoFile << ") never chooses \"" << kMainRows[i]
            << "\" (a Backspace or the menu key closes instead): add a numpad 5 on that row";
    for (std::int32_t i = 0; i < kClothingMenuRows; ++i)
        EXPECT_EQ(chosen.count("Clothing Menu: " + std::string(kClothingRows[i])), 1u)
            << "the built-in demo (" << kDemoFile << ") never chooses \"" << kClothingRows[i]
            << "\": add a numpad 5 on that row";
}

// The random traffic the programs compare builds with reaches what it is
// there to reach, in each seed the Windows checks play and as many again:
// every row of both menus, the status line, a dead or arrested character.
using RandomTraffic = HostTest;

TEST_F(RandomTraffic, ReachesBothMenusTheStatusLineAndHiding) {
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        harness::startRun(16);
        harness::resetPluginState();
        sim::attach(DllMain);
        MenuReach reach;
        std::ostringstream transcript;
        const int failures = harness::playScenario(
            harness::randomScenario(seed, harness::kRandomScenarioLength, 16), transcript, {}, {},
            [&](const sim::Frame& frame) { reach.see(frame, keyHeld(kKeyNumpad5)); });
        sim::detach();
        EXPECT_EQ(reach.missed(true), "") << "seed " << seed;
        EXPECT_EQ(failures, 0) << "seed " << seed << ":\n" << transcript.str();
        EXPECT_EQ(sim::protocolErrors(), std::vector<std::string>{}) << "seed " << seed;
    }
}

} // namespace
