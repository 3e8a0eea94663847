// A frame read back the way a player reads the screen.
#pragma once

#include <string>
#include <vector>

#include "simhost/simhost.h"

namespace sim {

struct Screen {
    std::string title;             // the menu's title, empty when no menu is drawn
    std::vector<std::string> rows; // the menu's rows, top to bottom
    int highlighted = -1;          // which of them is highlighted
    std::string status;            // the status line, empty when none is drawn
    bool hasStatus = false;
};

Screen readScreen(const Frame& frame);
// On one line: the title and a colon, each row after a blank with the
// highlighted one in [ ], then " |" and the status line while it shows:
// "Title: Row [Highlighted Row] Row | [Face]: 0,(46),0,(1)".
std::string screenLine(const Frame& frame);
// What the previews log when the screen changes, two lines:
// "screen: <its line>" and "menu: none" or "menu: row 1 highlighted".
std::string screenReport(const Frame& frame);

} // namespace sim
