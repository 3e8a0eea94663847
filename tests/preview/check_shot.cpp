// check_shot PNG [WIDTHxHEIGHT]: reads a screenshot of the preview and says
// what menu it shows: "no menu" or "menu, row N highlighted", by the colours
// of the boxes at the places the menu's layout puts them. The layout is in
// pixels of the actual screen, so those places are the same at every size.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "simhost/render.h"

namespace {

bool near(const std::uint8_t* pixel, int r, int g, int b) {
    return std::abs(pixel[0] - r) < 12 && std::abs(pixel[1] - g) < 12 &&
           std::abs(pixel[2] - b) < 12;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: check_shot PNG [WIDTHxHEIGHT]\n");
        return 2;
    }
    sim::Image shot;
    std::string error;
    if (!sim::readPng(argv[1], shot, error)) {
        std::fprintf(stderr, "check_shot: %s\n", error.c_str());
        return 2;
    }
    const std::string size = std::to_string(shot.width) + "x" + std::to_string(shot.height);
    const std::string expected = argc == 3 ? argv[2] : "1280x720";
    if (size != expected) {
        std::fprintf(stderr, "check_shot: %s, not %s\n", size.c_str(), expected.c_str());
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
