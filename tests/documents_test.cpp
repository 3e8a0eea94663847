// The player's documents list exactly Drapelle's keys, as the key table has
// them: README.md's keys table and the player's README.txt.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tools/keys.h"

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
        if (isKeyLine(line)) kept += line + "\n";
        else if (line.empty() && !kept.empty()) break;
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
    const std::string readme = keyLines(readSource("README.md"), "## Keys", [](const std::string& line) {
        return line.rfind("| ", 0) == 0 && line.rfind("| key", 0) != 0;
    });
    const std::string player = keyLines(readSource("windows/README.txt"), "Keys\n----",
                                        [](const std::string& line) { return line.rfind("  ", 0) == 0; });
    ASSERT_FALSE(readme.empty()) << "README.md has no keys table under '## Keys'";
    ASSERT_FALSE(player.empty()) << "windows/README.txt has no keys under 'Keys'";
    EXPECT_EQ(keysNamed(readme), drapellesKeys()) << "README.md's keys table:\n" << readme;
    EXPECT_EQ(keysNamed(player), drapellesKeys()) << "README.txt's keys:\n" << player;
}

} // namespace
