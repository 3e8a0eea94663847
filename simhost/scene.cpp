#include "simhost/scene.h"

#include <algorithm>
#include <cmath>

#include "simhost/game.h"

namespace sim {

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

PixelBox boxPixels(const RectItem& rect, int screenWidth, int screenHeight) {
    const float width = static_cast<float>(screenWidth);
    const float height = static_cast<float>(screenHeight);
    const auto toPixel = [](float value, float size) {
        return static_cast<int>(
            std::clamp(std::lround(value * size), -1L, static_cast<long>(size) + 1));
    };
    return {std::max(0, toPixel(rect.centreX - rect.width / 2, width)),
            std::max(0, toPixel(rect.centreY - rect.height / 2, height)),
            std::min(screenWidth, toPixel(rect.centreX + rect.width / 2, width)),
            std::min(screenHeight, toPixel(rect.centreY + rect.height / 2, height))};
}

float lineHeightPixels(float scale, int screenHeight) {
    return scale * game().characterHeightPerScale * static_cast<float>(screenHeight);
}

bool isPaintableLineHeight(float lineHeight) { return lineHeight >= 1.0f && lineHeight <= 4096.0f; }

float roomFor(const TextItem& text, int screenWidth) {
    const float width = static_cast<float>(screenWidth);
    if (text.centred) return (text.wrapRight - text.wrapLeft) * width;
    return (text.wrapRight - std::max(text.wrapLeft, text.x)) * width;
}

std::vector<std::string> breakLines(const std::string& text, float room,
                                    const std::function<int(const std::string&)>& measure) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::string line, word;
    auto place = [&](const std::string& next) {
        const std::string joined = line.empty() ? next : line + " " + next;
        if (!line.empty() && room > 0 && static_cast<float>(measure(joined)) > room) {
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

LinePlace placeLine(const TextItem& text, int index, int lineWidth, float lineHeight,
                    int screenWidth, int screenHeight) {
    const float left = text.x * static_cast<float>(screenWidth) -
                       (text.centred ? static_cast<float>(lineWidth) / 2.0f : 0.0f);
    return {static_cast<int>(std::lround(left)),
            text.y * static_cast<float>(screenHeight) + static_cast<float>(index) * lineHeight};
}

std::vector<TextPass> textPasses(const TextItem& text) {
    std::vector<TextPass> passes;
    if (text.shadow[0] > 0) {
        const int distance = std::min(text.shadow[0], 8);
        passes.push_back(
            {distance, distance, {text.shadow[1], text.shadow[2], text.shadow[3], text.shadow[4]}});
    }
    if (text.edge[0] > 0) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (dx != 0 || dy != 0)
                    passes.push_back(
                        {dx, dy, {text.edge[1], text.edge[2], text.edge[3], text.edge[4]}});
            }
        }
    }
    passes.push_back({0, 0, text.colour});
    return passes;
}

} // namespace sim
