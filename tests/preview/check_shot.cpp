// check_shot PNG: reads a 1280 x 720 screenshot of the preview and says what
// menu it shows: "no menu" or "menu, row N highlighted", by the colours of
// the boxes at the places the menu's layout puts them.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "simhost/render.h"

namespace {

bool near(const std::uint8_t* pixel, int r, int g, int b) {
    return std::abs(pixel[0] - r) < 12 && std::abs(pixel[1] - g) < 12 &&
           std::abs(pixel[2] - b) < 12;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: check_shot PNG\n");
        return 2;
    }
    sim::Image shot;
    std::string error;
    if (!sim::readPng(argv[1], shot, error)) {
        std::fprintf(stderr, "check_shot: %s\n", error.c_str());
        return 2;
    }
    if (shot.width != 1280 || shot.height != 720) {
        std::fprintf(stderr, "check_shot: %dx%d, not 1280x720\n", shot.width, shot.height);
        return 2;
    }
    // The title's black box, right of its caption, inside its top inset.
    if (!near(shot.at(245, 24), 0, 0, 0)) {
        std::printf("no menu\n");
        return 0;
    }
    // Only the highlighted box is 251 pixels wide: column 250 is pale green
    // from its top, 56 + 36 s pixels plus the 2-pixel offset.
    for (int y = 40; y < 400; ++y) {
        if (near(shot.at(250, y), 218, 242, 216)) {
            const int row = static_cast<int>(std::lround((y - 58) / 36.0));
            std::printf("menu, row %d highlighted\n", row);
            return 0;
        }
    }
    std::printf("menu, no row highlighted\n");
    return 0;
}
