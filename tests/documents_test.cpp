// The documents say what the code does: the keys, the design's times, the
// menus' rows and the demo's transcript are checked against the code, each
// failure naming the file, the line and the value the code has.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "harness/key_names.h"
#include "harness/linked_plugin.h"
#include "harness/scenario.h"
#include "host/script.h"
#include "input/key_table.h"
#include "simhost/simhost.h"
#include "ui/menus.h"
#include "ui/status_line.h"

namespace {

std::string readSource(const std::string& file) {
    std::ifstream in(std::string(DRAPELLE_SOURCE_DIR) + "/" + file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The lines from the first that starts with `heading` up to the first empty
// line after at least one line that `isKeyLine` takes, keeping those.
std::string keyLines(const std::string& text, const std::string& heading,
                     bool (*isKeyLine)(const std::string&)) {
    std::istringstream lines(text.substr(text.find(heading)));
    std::string line, kept;
    while (std::getline(lines, line)) {
        if (isKeyLine(line))
            kept += line + "\n";
        else if (line.empty() && !kept.empty())
            break;
    }
    return kept;
}

// Every key a text names, in lower case: "f9", "numpad 8", "backspace"...
std::set<std::string> keysNamed(const std::string& text) {
    static const std::regex key(
        R"(\b(f[0-9]{1,2}|numpad [0-9]|backspace|enter|escape|delete|insert|home|end|page up|page down|arrow|space)\b)",
        std::regex::icase);
    std::set<std::string> found;
    for (std::sregex_iterator at(text.begin(), text.end(), key), end; at != end; ++at) {
        std::string name = at->str();
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        found.insert(name);
    }
    return found;
}

std::set<std::string> drapellesKeys() {
    std::set<std::string> names;
    for (const harness::NamedKey& key : harness::kDrapelleKeys) {
        const std::set<std::string> named = keysNamed(key.name);
        names.insert(named.begin(), named.end());
    }
    return names;
}

TEST(Documents, ListExactlyDrapellesKeys) {
    const std::string readme =
        keyLines(readSource("README.md"), "## Keys", [](const std::string& line) {
            return line.rfind("| ", 0) == 0 && line.rfind("| key", 0) != 0;
        });
    const std::string player =
        keyLines(readSource("windows/README.txt.in"), "Keys\n----",
                 [](const std::string& line) { return line.rfind("  ", 0) == 0; });
    ASSERT_FALSE(readme.empty()) << "README.md has no keys table under '## Keys'";
    ASSERT_FALSE(player.empty()) << "windows/README.txt.in has no keys under 'Keys'";
    EXPECT_EQ(keysNamed(readme), drapellesKeys()) << "README.md's keys table:\n" << readme;
    EXPECT_EQ(keysNamed(player), drapellesKeys()) << "README.txt's keys:\n" << player;
}

// "docs/demo.md:52: " and the line.
struct Line {
    std::string where, text;
};
std::vector<Line> linesOf(const std::string& file) {
    std::vector<Line> lines;
    std::istringstream in(readSource(file));
    std::string text;
    for (int number = 1; std::getline(in, text); ++number)
        lines.push_back({file + ":" + std::to_string(number), text});
    return lines;
}

// A time a document states: in `file`, every match of `phrase` (its one group
// the number, in ms, or in seconds where `perUnit` is 1000) must say `value`;
// a phrase no line says any more fails too, so that a rewording cannot drop a
// check unseen. Each failure names the source file and line.
struct StatedNumber {
    const char* file;
    const char* phrase;
    long value;
    std::string what; // what the number is, for the failure
    long perUnit = 1;
};

void expectStated(const StatedNumber& fact) {
    const std::regex phrase(fact.phrase);
    int said = 0;
    for (const Line& line : linesOf(fact.file)) {
        std::smatch found;
        if (!std::regex_search(line.text, found, phrase)) continue;
        ++said;
        EXPECT_EQ(std::stol(found[1]) * fact.perUnit, fact.value)
            << line.where << ": says " << found[1] << (fact.perUnit == 1 ? " ms" : " s") << " for "
            << fact.what << "; the code has " << fact.value << " ms";
    }
    EXPECT_GT(said, 0) << fact.file << " no longer says /" << fact.phrase << "/ (" << fact.what
                       << " = " << fact.value << "): reword the check with the document";
}

// Every design time where a document states it, each phrase tied to its
// constant: a changed constant fails here at each file:line that states the
// old figure.
const StatedNumber kDesignTimes[] = {
    {"README.md", R"(shows for ([0-9]+) ms)", kStatusTime, "the status time (kStatusTime)"},
    {"README.md", R"(a step every ([0-9]+) ms)", kMoveWait, "the move wait (kMoveWait)"},
    {"README.md", R"(at a tick below ([0-9]+))", kHeldFor, "the held time (kHeldFor)"},
    {"README.md", R"(the last ([0-9]+) ms before it wraps)", kStatusTime,
     "the status time (kStatusTime)"},
    {"windows/README.txt.in", R"(until its ([0-9]+) seconds are up)", kStatusTime,
     "the status time (kStatusTime)", 1000},
    {"windows/README.txt.in", R"(the screen for ([0-9]+) seconds)", kStatusTime,
     "the status time (kStatusTime)", 1000},
};

TEST(Documents, GiveTheDesignsTimesAsTheCodeHasThem) {
    for (const StatedNumber& fact : kDesignTimes) expectStated(fact);
}

// Times the documents give that are not the design's: the stand-in's clock
// and key repeat, examples of the scenario language, the tests' own limits.
const std::pair<const char*, const char*> kOtherTimes[] = {
    {"docs/test-strength.md", R"(([0-9]+) ms after every 8 native calls)"},
    {"docs/test-strength.md", R"(a wait of anything but ([0-9]+) ms)"},
    {"docs/test-strength.md", R"(after ([0-9]+) ms, then)"},
    {"docs/test-strength.md", R"(every ([0-9]+) ms, settable)"},
    {"docs/reliability.md", R"(for ([0-9]+) seconds on every test run)"},
    {"docs/windows.md", R"(random key traffic at 16 and ([0-9]+) ms frames)"},
};

// What a reader meets: README.md, the player's read-me and the pages in docs/.
std::vector<std::string> readersFiles() {
    std::vector<std::string> files = {"README.md", "windows/README.txt.in"};
    for (const auto& page : std::filesystem::directory_iterator(DRAPELLE_SOURCE_DIR "/docs"))
        if (page.path().extension() == ".md")
            files.push_back("docs/" + page.path().filename().string());
    return files;
}

// Every time a reader meets in README.md, docs/ or the player's read-me is
// one a check knows: a design time tied to its constant above, or another
// listed beside it. A new sentence that states a design time fails here,
// with its file and line, until it is tied to its constant.
TEST(Documents, StateNoTimeNoCheckKnows) {
    const std::regex time(R"(\b([0-9][0-9,]*) (ms|seconds?)\b)");
    for (const std::string& file : readersFiles()) {
        std::vector<std::regex> known;
        for (const StatedNumber& fact : kDesignTimes)
            if (file == fact.file) known.emplace_back(fact.phrase);
        for (const auto& [other, phrase] : kOtherTimes)
            if (file == other) known.emplace_back(phrase);
        for (const Line& line : linesOf(file)) {
            // Where the known phrases put their numbers on this line.
            std::set<long> covered;
            for (const std::regex& phrase : known)
                for (std::sregex_iterator at(line.text.begin(), line.text.end(), phrase), end;
                     at != end; ++at)
                    for (std::size_t group = 1; group < at->size(); ++group)
                        covered.insert(at->position(group));
            for (std::sregex_iterator at(line.text.begin(), line.text.end(), time), end; at != end;
                 ++at)
                EXPECT_TRUE(covered.count(at->position(1)))
                    << line.where << ": states " << at->str()
                    << ", which no check knows: tie it to its constant in kDesignTimes, or list "
                       "it in kOtherTimes if it is not a design time";
        }
    }
}

// The function keys a reader meets are the menu key, by its name in the key
// table, and the previews' own F1 and F12 (tools/): a new menu key fails here
// at each file:line that names the old one.
TEST(Documents, NameTheMenuKeyAsTheKeyTableHasIt) {
    const std::string menuKey = harness::findKey(kMenuKey)->name;
    const std::regex functionKey(R"(\bF[0-9]{1,2}\b)");
    for (const std::string& file : readersFiles())
        for (const Line& line : linesOf(file))
            for (std::sregex_iterator at(line.text.begin(), line.text.end(), functionKey), end;
                 at != end; ++at)
                EXPECT_TRUE(at->str() == menuKey || at->str() == "F1" || at->str() == "F12")
                    << line.where << ": names " << at->str() << ", but the menu key is " << menuKey
                    << " (harness/key_names.cpp)";
}

// The player's read-me lists each row's caption at the start of a line, in
// both menus' order, under 'The menu "Drapelle"'.
TEST(Documents, ShowTheMenusRowsAsTheTablesHaveThem) {
    std::vector<std::pair<std::string, std::string>> captions; // where, caption
    bool inMenus = false;
    const std::regex caption(R"(^  ([A-Z][A-Za-z/ ]*[a-z])  +\S)");
    for (const Line& line : linesOf("windows/README.txt.in")) {
        inMenus = (inMenus || line.text.rfind("The menu \"Drapelle\"", 0) == 0) &&
                  line.text.rfind("Nothing is saved", 0) != 0;
        std::smatch found;
        if (inMenus && std::regex_search(line.text, found, caption))
            captions.emplace_back(line.where, found[1]);
    }
    std::vector<std::string> tables;
    for (std::int32_t i = 0; i < kMainMenuRows; ++i) tables.emplace_back(kMainRows[i]);
    for (std::int32_t i = 0; i < kClothingMenuRows; ++i) tables.emplace_back(kClothingRows[i]);
    ASSERT_FALSE(captions.empty())
        << "windows/README.txt.in lists no rows under 'The menu \"Drapelle\"'";
    for (std::size_t i = 0; i < std::max(captions.size(), tables.size()); ++i) {
        if (i < captions.size() && i < tables.size() && captions[i].second == tables[i]) continue;
        if (i >= tables.size())
            ADD_FAILURE() << captions[i].first << ": lists \"" << captions[i].second
                          << "\", which no menu has";
        else if (i >= captions.size())
            ADD_FAILURE() << captions.back().first
                          << ": the list of rows ends; the menus' tables go on with \"" << tables[i]
                          << "\"";
        else
            ADD_FAILURE() << captions[i].first << ": lists \"" << captions[i].second
                          << "\" where the menus' tables have \"" << tables[i] << "\"";
        break;
    }
}

// README.md's transcript excerpt is what the demo prints, line for line.
TEST(Documents, QuoteTheDemosTranscriptAsItRuns) {
    const std::vector<Line> readme = linesOf("README.md");
    std::vector<Line> excerpt;
    bool inBlock = false, afterIntro = false;
    for (const Line& line : readme) {
        afterIntro |= line.text.find("The transcript shows each key event") != std::string::npos;
        if (!afterIntro) continue;
        if (line.text.rfind("```", 0) == 0) {
            if (inBlock) break;
            inBlock = true;
        } else if (inBlock) {
            excerpt.push_back(line);
        }
    }
    ASSERT_FALSE(excerpt.empty()) << "README.md has no transcript after its introduction";

    sim::reset();
    harness::resetPluginState();
    sim::attach(DllMain);
    harness::Scenario demo;
    std::string error;
    ASSERT_TRUE(harness::loadScenario("", demo, error)) << error;
    std::ostringstream printed;
    harness::playScenario(demo, printed);
    sim::detach();
    sim::reset();
    std::vector<std::string> transcript;
    std::istringstream lines(printed.str());
    for (std::string line; std::getline(lines, line);) transcript.push_back(line);

    const auto start = std::find(transcript.begin(), transcript.end(), excerpt.front().text);
    ASSERT_NE(start, transcript.end())
        << excerpt.front().where << ": the demo prints no line '" << excerpt.front().text << "'";
    for (std::size_t i = 0; i < excerpt.size(); ++i) {
        const auto at = start + static_cast<long>(i);
        ASSERT_TRUE(at != transcript.end() && *at == excerpt[i].text)
            << excerpt[i].where << ": says '" << excerpt[i].text << "'; the demo prints '"
            << (at == transcript.end() ? std::string("(the end)") : *at) << "'";
    }
    // The excerpt ends where a block of the transcript does: a screen quoted
    // without its last rows (indented past the times) is not the menu drawn.
    const auto after = start + static_cast<long>(excerpt.size());
    EXPECT_FALSE(after != transcript.end() && after->find_first_not_of(' ') > 8 && !after->empty())
        << excerpt.back().where << ": the excerpt stops before the demo's '" << *after << "'";
}

} // namespace
