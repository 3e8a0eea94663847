// What traffic reached: the guard of the random scenarios, which must reach
// all of it whatever rows the menus hold.
#pragma once

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
