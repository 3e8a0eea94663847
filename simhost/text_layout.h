// How the simulated game lays out text: line heights, the room a text breaks
// in and the breaking itself, and, where FreeType and the fonts are, the
// faces and glyph widths that measure it. The line-count native and every
// painter take their lines from here, so the count is the lines drawn.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "simhost/simhost.h"

namespace sim {

// Font 1, the titles' bold face, stands taller than font 0 by this much.
constexpr float kTitleFontHeight = 1.1f;

// The rendered character height of a font, as a screen fraction per unit of
// text scale: what the character-height native reports.
float characterHeightPerScale(std::int32_t font);
// The pixel height of one line of text in that font; a text whose line
// height is not between 1 and 4096 pixels is not painted.
float lineHeightPixels(float scale, std::int32_t font, int screenHeight);
bool isPaintableLineHeight(float lineHeight);

// The room a text has to break in, in pixels: from its left edge (or, centred,
// the whole wrap span) to the right wrap bound.
float roomFor(const TextItem& text, int screenWidth);
// Greedy word wrap inside `room` pixels, `measure` giving a text's width; a
// word wider than the room gets a line of its own.
std::vector<std::string> breakLines(const std::string& text, float room,
                                    const std::function<int(const std::string&)>& measure);

#ifdef DRAPELLE_HAVE_FONTS
// The faces: DejaVu Sans for font 0, DejaVu Sans Bold for font 1, DejaVu
// Serif for any other font (a font the plug-in should not be drawing in);
// false with the reason in `error` when they cannot be read.
bool loadFonts(std::string& error);
// Whether loadFonts succeeded; until then line counts come from an estimate.
bool haveFonts();

// A character's glyph in one face at one pixel size, rendered once and kept.
struct Glyph {
    int width = 0, rows = 0, left = 0, top = 0, advance = 0;
    std::vector<std::uint8_t> coverage;
};
// Which of the three faces a font number is drawn in.
int faceIndex(std::int32_t font);
// The em size that makes the face's line spacing one line height.
int emPixels(int face, float lineHeight);
// The face's ascent at that em size, in pixels.
float ascenderPixels(int face, int em);
const Glyph& glyphFor(int face, int em, unsigned char character);
int textWidth(const std::string& text, int face, int em);
// The lines a text breaks into, measured with the face it is drawn in.
std::vector<std::string> linesOf(const TextItem& text, int face, int em, int screenWidth);

// Lines the text breaks into inside its wrap bounds on a screen of this size.
int layoutLineCount(const TextItem& text, int screenWidth, int screenHeight);
#endif

} // namespace sim
