#include "simhost/render.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

#include "simhost/game.h"

namespace sim {
namespace {

const char* const kFontFiles[2] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                   "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"};

FT_Library library = nullptr; // FreeType, once loadFonts has run
FT_Face faces[2] = {};        // font 0 and font 1
bool fontsLoaded = false;

struct Glyph {
    int width = 0, rows = 0, left = 0, top = 0, advance = 0;
    std::vector<std::uint8_t> coverage;
};
std::map<std::tuple<int, int, unsigned char>, Glyph> glyphs; // (font, pixel size, character)

struct Rgba8 {
    int r, g, b, a;
};

// The pixel height of one line, as the character-height native reports it.
float lineHeightPixels(float scale, int screenHeight) {
    return scale * game().characterHeightPerScale * static_cast<float>(screenHeight);
}

FT_Face faceFor(int font) { return faces[font == 1 ? 1 : 0]; }

// The em size that makes the face's line spacing one line height.
int emPixels(int font, float lineHeight) {
    const FT_Face face = faceFor(font);
    const float spacing = static_cast<float>(face->height) / static_cast<float>(face->units_per_EM);
    return std::max(1, static_cast<int>(std::lround(lineHeight / spacing)));
}

const Glyph& glyphFor(int font, int em, unsigned char character) {
    const auto key = std::make_tuple(font == 1 ? 1 : 0, em, character);
    const auto found = glyphs.find(key);
    if (found != glyphs.end()) return found->second;
    Glyph glyph;
    const FT_Face face = faceFor(font);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em));
    if (FT_Load_Char(face, character, FT_LOAD_RENDER) == 0) {
        const FT_GlyphSlot slot = face->glyph;
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

int textWidth(const std::string& text, int font, int em) {
    int width = 0;
    for (unsigned char c : text) width += glyphFor(font, em, c).advance;
    return width;
}

// Greedy word wrap inside `room` pixels; a word wider than the room gets a
// line of its own.
std::vector<std::string> breakLines(const std::string& text, int font, int em, float room) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::string line, word;
    auto place = [&](const std::string& next) {
        const std::string joined = line.empty() ? next : line + " " + next;
        if (!line.empty() && room > 0 && static_cast<float>(textWidth(joined, font, em)) > room) {
            lines.push_back(line);
            line = next;
        } else {
            line = joined;
        }
    };
    for (char c : text) {
        if (c == ' ') {
            place(word);
            word.clear();
        } else {
            word += c;
        }
    }
    place(word);
    lines.push_back(line);
    return lines;
}

// The room a text has to break in: from its left edge (or, centred, the whole
// wrap span) to the right wrap bound.
float roomFor(const TextItem& text, int screenWidth) {
    const float width = static_cast<float>(screenWidth);
    if (text.centred) return (text.wrapRight - text.wrapLeft) * width;
    return (text.wrapRight - std::max(text.wrapLeft, text.x)) * width;
}

void blendPixel(Image& image, int x, int y, const Rgba8& colour, int coverage) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    const int alpha = coverage * std::clamp(colour.a, 0, 255) / 255;
    std::uint8_t* pixel = image.at(x, y);
    const int channels[3] = {colour.r, colour.g, colour.b};
    for (int i = 0; i < 3; ++i) {
        const int source = std::clamp(channels[i], 0, 255);
        pixel[i] = static_cast<std::uint8_t>((pixel[i] * (255 - alpha) + source * alpha) / 255);
    }
    pixel[3] = 255;
}

void drawGlyphRun(Image& image, const std::string& text, int font, int em, int x, int baseline,
                  const Rgba8& colour) {
    for (unsigned char c : text) {
        const Glyph& glyph = glyphFor(font, em, c);
        for (int row = 0; row < glyph.rows; ++row) {
            for (int column = 0; column < glyph.width; ++column) {
                const int coverage =
                    glyph.coverage[static_cast<std::size_t>(row * glyph.width + column)];
                if (coverage > 0)
                    blendPixel(image, x + glyph.left + column, baseline - glyph.top + row, colour,
                               coverage);
            }
        }
        x += glyph.advance;
    }
}

void drawText(Image& image, const TextItem& text) {
    const float lineHeight = lineHeightPixels(text.scale, image.height);
    if (!(lineHeight >= 1.0f) || lineHeight > 4096.0f) return;
    const int font = text.font == 1 ? 1 : 0;
    const int em = emPixels(font, lineHeight);
    FT_Set_Pixel_Sizes(faceFor(font), 0, static_cast<FT_UInt>(em));
    const float ascender = static_cast<float>(faceFor(font)->size->metrics.ascender) / 64.0f;
    const std::vector<std::string> lines =
        breakLines(text.text, font, em, roomFor(text, image.width));
    const Rgba8 colour{text.colour.r, text.colour.g, text.colour.b, text.colour.a};
    const Rgba8 edge{text.edge[1], text.edge[2], text.edge[3], text.edge[4]};
    const Rgba8 shadow{text.shadow[1], text.shadow[2], text.shadow[3], text.shadow[4]};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int width = textWidth(lines[i], font, em);
        const float left =
            text.x * static_cast<float>(image.width) - (text.centred ? width / 2.0f : 0.0f);
        const int x = static_cast<int>(std::lround(left));
        const int baseline =
            static_cast<int>(std::lround(text.y * static_cast<float>(image.height) +
                                         static_cast<float>(i) * lineHeight + ascender));
        if (text.shadow[0] > 0) {
            const int distance = std::min(text.shadow[0], 8);
            drawGlyphRun(image, lines[i], font, em, x + distance, baseline + distance, shadow);
        }
        if (text.edge[0] > 0) {
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    if (dx != 0 || dy != 0)
                        drawGlyphRun(image, lines[i], font, em, x + dx, baseline + dy, edge);
                }
            }
        }
        drawGlyphRun(image, lines[i], font, em, x, baseline, colour);
    }
}

void fillRectangle(Image& image, const RectItem& rect) {
    const float width = static_cast<float>(image.width), height = static_cast<float>(image.height);
    const auto toPixel = [](float value, float size) {
        return static_cast<int>(
            std::clamp(std::lround(value * size), -1L, static_cast<long>(size) + 1));
    };
    const int x0 = std::max(0, toPixel(rect.centreX - rect.width / 2, width));
    const int x1 = std::min(image.width, toPixel(rect.centreX + rect.width / 2, width));
    const int y0 = std::max(0, toPixel(rect.centreY - rect.height / 2, height));
    const int y1 = std::min(image.height, toPixel(rect.centreY + rect.height / 2, height));
    const Rgba8 colour{rect.colour.r, rect.colour.g, rect.colour.b, rect.colour.a};
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) blendPixel(image, x, y, colour, 255);
    }
}

// A stand-in for the game world: sky, sun, hills and a road running to the
// horizon, so that the menu's boxes have something to stand out against.
Image paintWorld(int width, int height) {
    Image image{width, height,
                std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    const float horizon = 0.62f * h;
    for (int y = 0; y < height; ++y) {
        const float fy = static_cast<float>(y);
        for (int x = 0; x < width; ++x) {
            const float fx = static_cast<float>(x) / std::max(w, 1.0f);
            const float hill = horizon - h * (0.05f * std::sin(fx * 7.0f) +
                                              0.03f * std::sin(fx * 17.0f + 1.0f) + 0.04f);
            float r, g, b;
            if (fy < hill) {
                const float t = fy / std::max(hill, 1.0f);
                r = 70 + 120 * t, g = 120 + 95 * t, b = 190 + 45 * t;
                const float dx = (fx - 0.78f) * w / h, dy = fy / h - 0.2f;
                if (dx * dx + dy * dy < 0.0049f) r = 255, g = 236, b = 170;
            } else {
                const float t = std::max(0.0f, (fy - horizon) / std::max(h - horizon, 1.0f));
                r = 80 - 35 * t, g = 125 - 50 * t, b = 60 - 25 * t;
                // The road narrows to a point on the horizon; its centre line is dashed.
                const float offset = std::fabs(fx - 0.5f);
                if (fy > horizon && offset < 0.3f * t) {
                    r = 88 - 20 * t, g = 88 - 20 * t, b = 92 - 20 * t;
                    if (offset < 0.006f * t && std::fmod(std::sqrt(t) * 40.0f, 2.0f) < 1.0f)
                        r = g = b = 225;
                }
            }
            std::uint8_t* pixel = image.at(x, y);
            pixel[0] = static_cast<std::uint8_t>(std::clamp(r, 0.0f, 255.0f));
            pixel[1] = static_cast<std::uint8_t>(std::clamp(g, 0.0f, 255.0f));
            pixel[2] = static_cast<std::uint8_t>(std::clamp(b, 0.0f, 255.0f));
            pixel[3] = 255;
        }
    }
    return image;
}

} // namespace

bool loadFonts(std::string& error) {
    if (fontsLoaded) return true;
    if (!library && FT_Init_FreeType(&library) != 0) {
        error = "FreeType did not start";
        return false;
    }
    for (int font = 0; font < 2; ++font) {
        if (FT_New_Face(library, kFontFiles[font], 0, &faces[font]) != 0) {
            error =
                std::string("cannot read ") + kFontFiles[font] + " (Debian's fonts-dejavu-core)";
            return false;
        }
    }
    fontsLoaded = true;
    return true;
}

bool haveFonts() { return fontsLoaded; }

int layoutLineCount(const TextItem& text, int screenWidth, int screenHeight) {
    const float lineHeight = lineHeightPixels(text.scale, screenHeight);
    if (text.text.empty()) return 0;
    if (!(lineHeight >= 1.0f) || lineHeight > 4096.0f || screenWidth <= 0) return 1;
    const int font = text.font == 1 ? 1 : 0;
    const int em = emPixels(font, lineHeight);
    return static_cast<int>(breakLines(text.text, font, em, roomFor(text, screenWidth)).size());
}

Image renderFrame(const Frame& frame) {
    static Image world; // repainted only when the screen size changes
    const int width = std::clamp(frame.width, 1, 8192), height = std::clamp(frame.height, 1, 8192);
    if (world.width != width || world.height != height) world = paintWorld(width, height);
    Image image = world;
    if (frame.width <= 0 || frame.height <= 0) return image;
    // Boxes first, in the order asked, then the texts over them: the game
    // draws a frame's text above its rectangles whatever the order of calls.
    for (const RectItem& rect : frame.rects) fillRectangle(image, rect);
    if (fontsLoaded) {
        for (const TextItem& text : frame.texts) drawText(image, text);
    }
    return image;
}

void drawOverlayText(Image& image, const std::string& text, int x, int y, int pixelHeight) {
    if (!fontsLoaded) return;
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    const int em = emPixels(0, static_cast<float>(pixelHeight));
    int widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, textWidth(line, 0, em));
    for (int py = y - 6; py < y + pixelHeight * static_cast<int>(lines.size()) + 6; ++py) {
        for (int px = x - 8; px < x + widest + 8; ++px)
            blendPixel(image, px, py, {0, 0, 0, 170}, 255);
    }
    FT_Set_Pixel_Sizes(faceFor(0), 0, static_cast<FT_UInt>(em));
    const int ascender = static_cast<int>(faceFor(0)->size->metrics.ascender / 64);
    for (std::size_t i = 0; i < lines.size(); ++i)
        drawGlyphRun(image, lines[i], 0, em, x, y + static_cast<int>(i) * pixelHeight + ascender,
                     {255, 255, 255, 255});
}

Image contactSheet(const std::vector<Image>& images, const std::vector<std::string>& captions,
                   int columns, int tileWidth) {
    if (images.empty()) return Image{};
    const int tileHeight = tileWidth * images[0].height / std::max(images[0].width, 1);
    const int captionHeight = 26, gap = 8;
    const int rows = (static_cast<int>(images.size()) + columns - 1) / columns;
    Image sheet{
        gap + columns * (tileWidth + gap), gap + rows * (tileHeight + captionHeight + gap), {}};
    sheet.rgba.assign(static_cast<std::size_t>(sheet.width) * sheet.height * 4, 0);
    for (std::size_t i = 0; i < sheet.rgba.size(); i += 4) {
        sheet.rgba[i] = sheet.rgba[i + 1] = sheet.rgba[i + 2] = 32;
        sheet.rgba[i + 3] = 255;
    }
    for (std::size_t n = 0; n < images.size(); ++n) {
        const Image& source = images[n];
        const int left = gap + static_cast<int>(n % columns) * (tileWidth + gap);
        const int top = gap + static_cast<int>(n / columns) * (tileHeight + captionHeight + gap);
        for (int y = 0; y < tileHeight; ++y) {
            for (int x = 0; x < tileWidth; ++x) {
                // Average the source pixels under this tile pixel.
                const int sx0 = x * source.width / tileWidth,
                          sx1 = std::max(sx0 + 1, (x + 1) * source.width / tileWidth);
                const int sy0 = y * source.height / tileHeight,
                          sy1 = std::max(sy0 + 1, (y + 1) * source.height / tileHeight);
                int sum[3] = {0, 0, 0}, count = 0;
                for (int sy = sy0; sy < sy1 && sy < source.height; ++sy) {
                    for (int sx = sx0; sx < sx1 && sx < source.width; ++sx, ++count) {
                        for (int c = 0; c < 3; ++c) sum[c] += source.at(sx, sy)[c];
                    }
                }
                std::uint8_t* pixel = sheet.at(left + x, top + y);
                for (int c = 0; c < 3; ++c)
                    pixel[c] = static_cast<std::uint8_t>(sum[c] / std::max(count, 1));
            }
        }
        if (n < captions.size())
            drawOverlayText(sheet, captions[n], left + 8, top + tileHeight + 5, 16);
    }
    return sheet;
}

bool writePng(const Image& image, const std::string& path, std::string& error) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&png, path.c_str(), 0, image.rgba.data(), 0, nullptr)) {
        error = "cannot write " + path + ": " + png.message;
        return false;
    }
    return true;
}

bool readPng(const std::string& path, Image& image, std::string& error) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        error = "cannot read " + path + ": " + png.message;
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgba.assign(PNG_IMAGE_SIZE(png), 0);
    if (!png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr)) {
        error = "cannot decode " + path + ": " + png.message;
        return false;
    }
    return true;
}

} // namespace sim
