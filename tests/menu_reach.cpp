#include "menu_reach.h"

#include <algorithm>
#include <iterator>

#include "input/key_table.h"
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

void MenuWalker::sendKeys(const sim::Frame& last, bool seen) {
    if (held_ != 0) sim::keyUp(held_);
    held_ = 0;
    // Past the longest wait a key starts; one that came during a wait goes again.
    if (!seen || sim::now() - lastKeyAt_ < kMoveWait + kSelectWait) return;
    const sim::Screen screen = sim::readScreen(last);
    const int rows = static_cast<int>(screen.rows.size());
    if (target_ < 0 || target_ > rows) target_ = static_cast<int>(random_() % (rows + 1));
    if (screen.title.empty()) {
        held_ = kMenuKey;
        target_ = -1;
    } else if (target_ == rows) {
        held_ = kKeyNumpad0;
        target_ = -1;
    } else if (screen.highlighted != target_) {
        held_ = kKeyNumpad2;
    } else {
        held_ = kKeyNumpad5;
        target_ = -1;
    }
    sim::keyDown(held_);
    lastKeyAt_ = sim::now();
}
