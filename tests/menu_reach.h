// Traffic that reaches every row of both menus whatever rows they hold, and
// what traffic reached: the soaks' keys, and the guards of the soaks and of
// the random scenarios.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "simhost/simhost.h"
#include "ui/menus.h"

// What traffic reached, frame by frame: each row of both menus acted on, the
// status line shown, the character dead or arrested.
class MenuReach {
  public:
    // The frame just run, and whether numpad 5 was held as it ran: then the
    // menu acted on the row the frame before highlighted.
    void see(const sim::Frame& frame, bool selectHeld);
    // What was never reached, a line each; empty when all of it was.
    std::string missed(bool hidingToo) const;

  private:
    std::vector<bool> mainChosen_ = std::vector<bool>(kMainMenuRows);
    std::vector<bool> clothingChosen_ = std::vector<bool>(kClothingMenuRows);
    std::vector<bool>* shownMenu_ = nullptr; // of the frame before, if it showed a menu
    int highlighted_ = -1;                   // its highlighted row
    bool statusShown_ = false, hidden_ = false;
};

// Keys that walk the menus from what the screen shows, one a frame at most:
// the menu opened when none shows, else a row of the menu shown drawn at
// random, moved to and acted on, or now and then a step back.
class MenuWalker {
  public:
    explicit MenuWalker(std::uint32_t seed) : random_(seed) {}
    // Before a frame: lets go of the key of the frame before, then sends the
    // next when the menu may be testing keys again. `last` is the frame
    // before; one not recorded (`seen` false) sends nothing.
    void sendKeys(const sim::Frame& last, bool seen);

  private:
    std::mt19937 random_;
    DWORD held_ = 0;      // the key down for the frame before, 0 for none
    DWORD lastKeyAt_ = 0; // the tick it went down
    int target_ = -1;     // the row it walks to; the row count to step back; -1 to draw
};
