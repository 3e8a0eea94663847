// The game's text measured with real faces: FreeType and DejaVu.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "simhost/text_layout.h"

namespace sim {
namespace {

constexpr int kFaces = 3;
const char* const kFontFiles[kFaces] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                        "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                                        "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"};

FT_Library library = nullptr;                                // FreeType, once loadFonts has run
FT_Face faces[kFaces] = {};                                  // font 0, font 1, and any other font
bool fontsLoaded = false;                                    // whether every face was read
std::map<std::tuple<int, int, unsigned char>, Glyph> glyphs; // (face, pixel size, character)

} // namespace

bool loadFonts(std::string& error) {
    if (fontsLoaded) return true;
    if (!library && FT_Init_FreeType(&library) != 0) {
        error = "FreeType did not start";
        return false;
    }
    for (int face = 0; face < kFaces; ++face) {
        if (!faces[face] && FT_New_Face(library, kFontFiles[face], 0, &faces[face]) != 0) {
            faces[face] = nullptr;
            error =
                std::string("cannot read ") + kFontFiles[face] + " (Debian's fonts-dejavu-core)";
            return false;
        }
    }
    fontsLoaded = true;
    return true;
}

bool haveFonts() { return fontsLoaded; }

int faceIndex(std::int32_t font) { return font == 0 ? 0 : font == 1 ? 1 : 2; }

int emPixels(int face, float lineHeight) {
    const FT_Face ft = faces[face];
    const float spacing = static_cast<float>(ft->height) / static_cast<float>(ft->units_per_EM);
    return std::max(1, static_cast<int>(std::lround(lineHeight / spacing)));
}

float ascenderPixels(int face, int em) {
    FT_Set_Pixel_Sizes(faces[face], 0, static_cast<FT_UInt>(em));
    return static_cast<float>(faces[face]->size->metrics.ascender) / 64.0f;
}

const Glyph& glyphFor(int face, int em, unsigned char character) {
    const auto key = std::make_tuple(face, em, character);
    const auto found = glyphs.find(key);
    if (found != glyphs.end()) return found->second;
    Glyph glyph;
    const FT_Face ft = faces[face];
    FT_Set_Pixel_Sizes(ft, 0, static_cast<FT_UInt>(em));
    if (FT_Load_Char(ft, character, FT_LOAD_RENDER) == 0) {
        const FT_GlyphSlot slot = ft->glyph;
        glyph.width = static_cast<int>(slot->bitmap.width);
        glyph.rows = static_cast<int>(slot->bitmap.rows);
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.advance = static_cast<int>(slot->advance.x >> 6);
        for (int y = 0; y < glyph.rows; ++y) {
            const std::uint8_t* row = slot->bitmap.buffer + y * slot->bitmap.pitch;
            glyph.coverage.insert(glyph.coverage.end(), row, row + glyph.width);
        }
    }
    return glyphs.emplace(key, std::move(glyph)).first->second;
}

int textWidth(const std::string& text, int face, int em) {
    int width = 0;
    for (unsigned char c : text) width += glyphFor(face, em, c).advance;
    return width;
}

std::vector<std::string> linesOf(const TextItem& text, int face, int em, int screenWidth) {
    return breakLines(text.text, roomFor(text, screenWidth),
                      [&](const std::string& line) { return textWidth(line, face, em); });
}

int layoutLineCount(const TextItem& text, int screenWidth, int screenHeight) {
    const float lineHeight = lineHeightPixels(text.scale, text.font, screenHeight);
    if (text.text.empty()) return 0;
    if (!isPaintableLineHeight(lineHeight) || screenWidth <= 0) return 1;
    const int face = faceIndex(text.font);
    return static_cast<int>(linesOf(text, face, emPixels(face, lineHeight), screenWidth).size());
}

} // namespace sim
