// The player's documents list exactly Drapelle's keys, as the key table has
// them: README.md's keys table and the player's README.txt.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/keys.h"
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
    for (const sim::NamedKey& key : sim::kDrapelleKeys) {
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
        keyLines(readSource("windows/README.txt"), "Keys\n----",
                 [](const std::string& line) { return line.rfind("  ", 0) == 0; });
    ASSERT_FALSE(readme.empty()) << "README.md has no keys table under '## Keys'";
    ASSERT_FALSE(player.empty()) << "windows/README.txt has no keys under 'Keys'";
    EXPECT_EQ(keysNamed(readme), drapellesKeys()) << "README.md's keys table:\n" << readme;
    EXPECT_EQ(keysNamed(player), drapellesKeys()) << "README.txt's keys:\n" << player;
}

// The status line's time where the player's documents give it: "for 5
// seconds" in README.txt, "for 5000 ms" in README.md's keys section.
TEST(Documents, GiveTheStatusLinesTime) {
    const std::string player = readSource("windows/README.txt");
    const std::string readme = readSource("README.md");
    const std::string keys = readme.substr(readme.find("## Keys"));
    std::vector<std::string> stated;
    const std::regex seconds(R"(([0-9]+) seconds)"), ms(R"(shows for ([0-9]+) ms)");
    for (std::sregex_iterator at(player.begin(), player.end(), seconds), end; at != end; ++at)
        stated.push_back(std::to_string(std::stoul((*at)[1]) * 1000) + " in README.txt");
    std::smatch found;
    if (std::regex_search(keys, found, ms)) stated.push_back(found[1].str() + " in README.md");
    ASSERT_EQ(stated.size(), 3u) << "README.txt says it twice, README.md once";
    for (const std::string& time : stated)
        EXPECT_EQ(time.substr(0, time.find(' ')), std::to_string(kStatusTime)) << time;
}

} // namespace
