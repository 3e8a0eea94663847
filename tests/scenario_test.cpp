#include <sstream>

#include "plugin_fixture.h"
#include "simhost/scenario.h"

namespace {

std::string parseError(const std::string& text) {
    std::istringstream in(text);
    sim::Scenario scenario;
    std::string error;
    if (sim::parseScenario(in, "test.txt", scenario, error)) return "parsed";
    EXPECT_TRUE(scenario.events.empty()) << "nothing of a bad scenario is kept";
    return error;
}

TEST(ScenarioFile, BadLinesAreNamedWithTheirNumber) {
    EXPECT_EQ(parseError("0 tap F9\n# fine\n\n120 tap F10\n"), "test.txt:4: unknown key 'F10'");
    EXPECT_EQ(parseError("zero tap F9\n"), "test.txt:1: bad time 'zero'");
    EXPECT_EQ(parseError("-5 tap F9\n"), "test.txt:1: bad time '-5'");
    EXPECT_EQ(parseError("10 jump\n"), "test.txt:1: unknown action 'jump'");
    EXPECT_EQ(parseError("10\n"), "test.txt:1: an action must follow the time");
    EXPECT_EQ(parseError("10 hold Num5\n"),
              "test.txt:1: hold needs a duration in ms after the key");
    EXPECT_EQ(parseError("10 tap F9 now\n"), "test.txt:1: too many words");
    EXPECT_EQ(parseError("10 dead maybe\n"), "test.txt:1: dead needs on or off");
    EXPECT_EQ(parseError("10 screen 1280\n"), "test.txt:1: screen needs a width and a height");
    EXPECT_EQ(parseError("500 tap F9\n400 tap F9\n"), "test.txt:2: time goes backwards");
    EXPECT_EQ(parseError("0 hold Num5 300\n100 tap F9\r\n 200 note text # kept\n"), "parsed");
}

using Demo = PluginTest;

// The built-in demo drives every row and ends with the menu closed, the
// character back to its default look and the last line still shown.
TEST_F(Demo, BuiltInScenarioVisitsEveryRowAndEndsClosed) {
    std::istringstream text(sim::builtInScenario());
    sim::Scenario scenario;
    std::string error;
    ASSERT_TRUE(sim::parseScenario(text, "built-in", scenario, error)) << error;
    std::ostringstream transcript;
    sim::playScenario(scenario, transcript);
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
        ASSERT_NE(found, std::string::npos) << seen << "\n" << out.substr(at);
        at = found;
    }
    EXPECT_EQ(sim::screenLine(sim::lastFrame()), "") << "menu closed, line expired";
    EXPECT_EQ(currentSlotName, "Head");
}

} // namespace
