#include "menu_reach.h"

#include <algorithm>
#include <iterator>

#include "simhost/game.h"
#include "simhost/screen.h"

namespace {
// Whether the screen's rows are those of `table`.
template <std::size_t N>
bool showsRows(const sim::Screen& screen, const std::string_view (&table)[N]) {
    return std::equal(screen.rows.begin(), screen.rows.end(), std::begin(table), std::end(table));
}

void addMissed(std::string& out, const char* menu, const std::vector<bool>& chosen,
               const std::string_view rows[]) {
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        if (!chosen[i])
            out += std::string(menu) + " row \"" + std::string(rows[i]) + "\" never acted on\n";
    }
}
} // namespace

void MenuReach::see(const sim::Frame& frame, bool selectHeld) {
    if (selectHeld && shownMenu_) (*shownMenu_)[static_cast<std::size_t>(highlighted_)] = true;
    const sim::Screen screen = sim::readScreen(frame);
    shownMenu_ = showsRows(screen, kMainRows)       ? &mainChosen_
                 : showsRows(screen, kClothingRows) ? &clothingChosen_
                                                    : nullptr;
    if (screen.highlighted < 0) shownMenu_ = nullptr;
    highlighted_ = screen.highlighted;
    statusShown_ |= screen.hasStatus;
    hidden_ |= sim::game().dead || sim::game().arrested;
}

std::string MenuReach::missed(bool hidingToo) const {
    std::string out;
    addMissed(out, "top menu", mainChosen_, kMainRows);
    addMissed(out, "clothing menu", clothingChosen_, kClothingRows);
    if (!statusShown_) out += "the status line never shown\n";
    if (hidingToo && !hidden_) out += "the character never dead or arrested\n";
    return out;
}
