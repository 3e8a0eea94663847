// How the simulated game lays out text, with FreeType's faces where they are.
// The line-count native and every painter take their lines from here, so the
// count is the lines drawn.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "simhost/simhost.h"

namespace sim {

// Font 1, the titles' bold face, stands taller than font 0 by this much.
constexpr float kTitleFontHeight = 1.1f;

// A font's character height, as a screen fraction per unit of text scale.
float characterHeightPerScale(std::int32_t font);
// A text whose line height is not between 1 and 4096 pixels is not painted.
float lineHeightPixels(float scale, std::int32_t font, int screenHeight);
bool isPaintableLineHeight(float lineHeight);

// Pixels from the text's left edge (centred: the wrap's) to the right wrap bound.
float roomFor(const TextItem& text, int screenWidth);
// Greedy word wrap; a word wider than the room gets a line of its own.
std::vector<std::string> breakLines(const std::string& text, float room,
                                    const std::function<int(const std::string&)>& measure);

#ifdef DRAPELLE_HAVE_FONTS
// DejaVu Sans for font 0, Sans Bold for font 1, Serif for any other (which
// the plug-in should not draw in); false with the reason when unreadable.
bool loadFonts(std::string& error);
bool haveFonts(); // until then line counts come from an estimate

// Rendered once per face, pixel size and character, and kept.
struct Glyph {
    int width = 0, rows = 0, left = 0, top = 0, advance = 0;
    std::vector<std::uint8_t> coverage;
};
int faceIndex(std::int32_t font);
// The em size that makes the face's line spacing one line height.
int emPixels(int face, float lineHeight);
float ascenderPixels(int face, int em);
const Glyph& glyphFor(int face, int em, unsigned char character);
int textWidth(const std::string& text, int face, int em);
std::vector<std::string> linesOf(const TextItem& text, int face, int em, int screenWidth);
int layoutLineCount(const TextItem& text, int screenWidth, int screenHeight);
#endif

} // namespace sim
