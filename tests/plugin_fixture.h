// A fresh stand-in host and a freshly loaded plug-in for every test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "harness/key_names.h"
#include "harness/linked_plugin.h"
#include "host/inline_string.h"
#include "host/script.h"
#include "simhost/game.h"
#include "simhost/simhost.h"
#include "ui/menus.h"

class HostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::reset();
        harness::resetPluginState();
    }
    void TearDown() override {
        sim::detach();
        sim::stopScript();
        EXPECT_EQ(sim::protocolErrors(), std::vector<std::string>{});
    }
};

// The plug-in attached, its script running frame by frame.
class PluginTest : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        sim::attach(DllMain);
    }
    // A key tap as the player makes it: down, a frame, up.
    static void tap(DWORD key) {
        sim::keyDown(key);
        sim::runFrame();
        sim::keyUp(key);
    }
};

// Runs a piece of the plug-in where it runs in the game, on the script's
// fiber: the stand-in refuses natives anywhere else.
inline void onFiber(const std::function<void()>& work) { sim::runOnFiber(work); }

// A menu as the screen line reads it, from the menu's table, with row `row`
// highlighted: "title: row [highlighted row] row".
inline std::string menuAt(const char* title, const std::string_view rows[], std::int32_t count,
                          int row) {
    std::string text = std::string(title) + ":";
    for (int i = 0; i < count; ++i)
        text.append(i == row ? " [" : " ").append(rows[i]).append(i == row ? "]" : "");
    return text;
}
inline std::string mainMenuAt(int row) { return menuAt("Drapelle", kMainRows, kMainMenuRows, row); }

// Every text of a frame, in the order it was drawn.
inline std::vector<std::string> drawnTexts(const sim::Frame& frame) {
    std::vector<std::string> texts;
    for (const sim::TextItem& text : frame.texts) texts.push_back(text.text);
    return texts;
}

// A runtime text as the plug-in's string type; a text too long for it fails
// the test instead of being cut.
inline InlineString textOf(std::string_view text) {
    char buffer[InlineString::kCapacity] = {};
    if (text.size() >= sizeof buffer) {
        ADD_FAILURE() << "text of " << text.size() << " characters does not fit";
        return {};
    }
    text.copy(buffer, text.size());
    return InlineString(buffer);
}

inline void PrintTo(const InlineString& text, std::ostream* out) {
    *out << testing::PrintToString(std::string(text));
}

// A key code as a failure message shows it: "numpad 5 (0x65)".
inline std::string keyName(DWORD key) { return harness::describeKey(key); }

namespace sim {
inline void PrintTo(const Variation& variation, std::ostream* out) {
    *out << "{drawable " << variation.drawable << ", texture " << variation.texture << ", palette "
         << variation.palette << "}";
}
} // namespace sim
