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

TEST(ScenarioFile, BadLinesAreNamedWithTheirNumberAndWhatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {"0 tap F9\n# fine\n\n120 tap F10\n", "test.txt:4: unknown key 'F10'"},
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
        {"0 tap \x1b[2J\x7f\n", "test.txt:1: unknown key '\\x1B[2J\\x7F'"},
        {"", "test.txt has no events"},
        {"# comments only\n\n   # and blanks\n", "test.txt has no events"},
        {"0 hold Num5 300\n100 tap F9\r\n 200 note text # kept\n", "parsed"}};
    for (const auto& [text, error] : cases) EXPECT_EQ(parseError(text), error) << text;
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
