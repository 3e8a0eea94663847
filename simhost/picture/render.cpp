#include "simhost/picture/render.h"

#include <png.h>

#include <algorithm>
#include <cmath>

#include "simhost/game.h"
#include "simhost/text_layout.h"

namespace picture {
namespace {

void blendPixel(Image& image, int x, int y, const sim::Rgba& colour, int coverage) {
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

void drawGlyphRun(Image& image, const std::string& text, int face, int em, int x, int baseline,
                  const sim::Rgba& colour) {
    for (unsigned char c : text) {
        const sim::Glyph& glyph = sim::glyphFor(face, em, c);
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

void drawText(Image& image, const sim::TextItem& text) {
    const float lineHeight = sim::lineHeightPixels(text.scale, text.font, image.height);
    if (!sim::isPaintableLineHeight(lineHeight)) return;
    const int face = sim::faceIndex(text.font);
    const int em = sim::emPixels(face, lineHeight);
    const float ascender = sim::ascenderPixels(face, em);
    const std::vector<std::string> lines = sim::linesOf(text, face, em, image.width);
    const std::vector<TextPass> passes = textPasses(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LinePlace place =
            placeLine(text, static_cast<int>(i), sim::textWidth(lines[i], face, em), lineHeight,
                      image.width, image.height);
        const int baseline = static_cast<int>(std::lround(place.top + ascender));
        for (const TextPass& pass : passes)
            drawGlyphRun(image, lines[i], face, em, place.left + pass.dx, baseline + pass.dy,
                         pass.colour);
    }
}

void fillBox(Image& image, const PixelBox& box, const sim::Rgba& colour) {
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) blendPixel(image, x, y, colour, 255);
    }
}

} // namespace

Image renderFrame(const sim::Frame& frame) {
    static Image world; // repainted only when the screen size changes
    const int width = std::clamp(frame.width, 1, 8192), height = std::clamp(frame.height, 1, 8192);
    if (world.width != width || world.height != height) world = paintWorld(width, height);
    Image image = world;
    paintPlayerCharacter(image);
    if (frame.width <= 0 || frame.height <= 0) return image;
    // Boxes first, in the order asked, then the texts over them: the game
    // draws a frame's text above its rectangles whatever the order of calls.
    for (const sim::RectItem& rect : frame.rects)
        fillBox(image, boxPixels(rect, image.width, image.height), rect.colour);
    if (sim::haveFonts()) {
        for (const sim::TextItem& text : frame.texts) drawText(image, text);
    }
    return image;
}

void drawOverlayText(Image& image, const std::string& text, int x, int y, int pixelHeight) {
    if (!sim::haveFonts()) return;
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    const int em = sim::emPixels(0, static_cast<float>(pixelHeight));
    int widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, sim::textWidth(line, 0, em));
    const int bottom = y + pixelHeight * static_cast<int>(lines.size()) + 6;
    fillBox(image, {x - 8, y - 6, x + widest + 8, bottom}, {0, 0, 0, 170});
    const int ascender = static_cast<int>(sim::ascenderPixels(0, em));
    for (std::size_t i = 0; i < lines.size(); ++i)
        drawGlyphRun(image, lines[i], 0, em, x, y + static_cast<int>(i) * pixelHeight + ascender,
                     {255, 255, 255, 255});
}

namespace {
// The menu's corner of a frame, inset over a thumbnail's at a readable size.
constexpr int kMenuCorner = 264; // source pixels, square
constexpr int kInsetSize = 216;  // sheet pixels, square
constexpr int kCornerMargin = 8; // source pixels beyond the menu's last box

void drawMenuInset(Image& sheet, const Image& source, int menuCorner, int left, int top) {
    const int corner = std::min({std::max(kMenuCorner, menuCorner), source.width, source.height});
    for (int y = 0; y < kInsetSize; ++y) {
        for (int x = 0; x < kInsetSize; ++x) {
            const std::uint8_t* from = source.at(x * corner / kInsetSize, y * corner / kInsetSize);
            std::uint8_t* to = sheet.at(left + x, top + y);
            const bool edge = x == kInsetSize - 1 || y == kInsetSize - 1;
            for (int c = 0; c < 3; ++c) to[c] = edge ? 32 : from[c];
        }
    }
}
} // namespace

int menuCorner(const sim::Frame& frame) {
    int corner = 0;
    for (const sim::RectItem& box : frame.rects) {
        const int right = static_cast<int>(std::ceil((box.centreX + box.width / 2) * frame.width));
        const int bottom =
            static_cast<int>(std::ceil((box.centreY + box.height / 2) * frame.height));
        corner = std::max({corner, right + kCornerMargin, bottom + kCornerMargin});
    }
    return corner;
}

Image contactSheet(const std::vector<Image>& images, const std::vector<std::string>& captions,
                   const std::vector<int>& menuCorners, int columns, int tileWidth) {
    if (images.empty()) return Image{};
    const int tileHeight = tileWidth * images[0].height / std::max(images[0].width, 1);
    const int captionHeight = 26, gap = 8;
    const int rows = (static_cast<int>(images.size()) + columns - 1) / columns;
    Image sheet{
        gap + columns * (tileWidth + gap), gap + rows * (tileHeight + captionHeight + gap), {}};
    for (int i = 0; i < sheet.width * sheet.height; ++i)
        sheet.rgba.insert(sheet.rgba.end(), {32, 32, 32, 255});
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
        drawMenuInset(sheet, source, n < menuCorners.size() ? menuCorners[n] : 0, left, top);
        if (n < captions.size())
            drawOverlayText(sheet, captions[n], left + 8, top + tileHeight + 5, 16);
    }
    return sheet;
}

bool writePng(const Image& image, const std::string& path, std::string& error) {
    png_image png{};
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
    png_image png{};
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

} // namespace picture
