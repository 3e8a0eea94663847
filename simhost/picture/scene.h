// What the stand-in paints where, for the Linux renderer and the Windows
// preview alike: only the way they make pixels differs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "simhost/game.h"
#include "simhost/simhost.h"
#include "simhost/text_layout.h"

namespace picture {

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba; // width * height pixels, 4 bytes each
    std::uint8_t* at(int x, int y) { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
    const std::uint8_t* at(int x, int y) const {
        return &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
    }
};

// Sky, sun, hills and a road, so that the menu's boxes stand out.
Image paintWorld(int width, int height);

// The player's character as the game has it now, on the grass right of the
// road: each slot's shape or pattern by drawable, colour by texture, and the
// slot the plug-in last asked about outlined.
void paintPlayerCharacter(Image& image);

// Columns left to right - 1, rows top to bottom - 1, clipped to the screen.
struct PixelBox {
    int left = 0, top = 0, right = 0, bottom = 0;
};
PixelBox boxPixels(const sim::RectItem& rect, int screenWidth, int screenHeight);

// Where line `index` of a text goes (its baseline lies one ascent below `top`).
struct LinePlace {
    int left = 0;
    float top = 0.0f;
};
LinePlace placeLine(const sim::TextItem& text, int index, int lineWidth, float lineHeight,
                    int screenWidth, int screenHeight);

// The drop shadow, the outline's eight offsets, then the text itself.
struct TextPass {
    int dx = 0, dy = 0;
    sim::Rgba colour;
};
std::vector<TextPass> textPasses(const sim::TextItem& text);

} // namespace picture
