#include "simhost/picture/scene.h"

#include <algorithm>
#include <cmath>

#include "simhost/game.h"

namespace picture {

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
                // The road narrows to a point on the horizon; its centre line is
                // dashed, and stops short of the status line's band.
                const float offset = std::fabs(fx - 0.5f);
                if (fy > horizon && offset < 0.3f * t) {
                    r = 88 - 20 * t, g = 88 - 20 * t, b = 92 - 20 * t;
                    if (offset < 0.006f * t && fy < 0.83f * h &&
                        std::fmod(std::sqrt(t) * 40.0f, 2.0f) < 1.0f)
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

namespace {

struct Rgb {
    int r, g, b;
};

// A texture's colour: eight well apart, round and round.
Rgb textureColour(std::int32_t texture) {
    static const Rgb colours[8] = {{200, 60, 50},  {50, 110, 200}, {240, 200, 60}, {60, 160, 80},
                                   {150, 80, 180}, {240, 140, 40}, {40, 40, 45},   {235, 235, 235}};
    return colours[static_cast<unsigned>(texture) % 8];
}
int shapeOf(std::int32_t drawable, int shapes) {
    return static_cast<int>(static_cast<unsigned>(drawable) % static_cast<unsigned>(shapes));
}

void setPixel(Image& image, int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    std::uint8_t* pixel = image.at(x, y);
    pixel[0] = static_cast<std::uint8_t>(colour.r);
    pixel[1] = static_cast<std::uint8_t>(colour.g);
    pixel[2] = static_cast<std::uint8_t>(colour.b);
}

// The character's drawing space: x from its middle and y up from its feet, in
// hundredths of its height.
struct Figure {
    Image& image;
    float middle, ground, unit; // pixels
    // Every pixel in the figure's rectangle [x0, x1) x [y0, y1) that `inside`
    // takes, given its place within the rectangle (0 to 1 each way).
    template <typename Inside>
    void fill(float x0, float y0, float x1, float y1, Rgb colour, Inside inside) const {
        const int left = static_cast<int>(std::lround(middle + x0 * unit));
        const int right = static_cast<int>(std::lround(middle + x1 * unit));
        const int top = static_cast<int>(std::lround(ground - y1 * unit));
        const int bottom = static_cast<int>(std::lround(ground - y0 * unit));
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                const float u = (x - left + 0.5f) / std::max(right - left, 1);
                const float v = (y - top + 0.5f) / std::max(bottom - top, 1);
                if (inside(u, v)) setPixel(image, x, y, colour);
            }
        }
    }
    void box(float x0, float y0, float x1, float y1, Rgb colour) const {
        fill(x0, y0, x1, y1, colour, [](float, float) { return true; });
    }
    void oval(float x0, float y0, float x1, float y1, Rgb colour) const {
        fill(x0, y0, x1, y1, colour, [](float u, float v) {
            return (u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f) < 0.25f;
        });
    }
    // Plain, stripes down, stripes across or checks, in the colour and a darker one.
    void patterned(float x0, float y0, float x1, float y1, Rgb colour, int pattern) const {
        const Rgb dark{colour.r * 3 / 5, colour.g * 3 / 5, colour.b * 3 / 5};
        box(x0, y0, x1, y1, colour);
        fill(x0, y0, x1, y1, dark, [pattern](float u, float v) {
            const bool down = static_cast<int>(u * 6) % 2 == 1;
            const bool across = static_cast<int>(v * 6) % 2 == 1;
            return pattern == 1 ? down : pattern == 2 ? across : pattern == 3 && down != across;
        });
    }
    void outline(float x0, float y0, float x1, float y1, Rgb colour) const {
        const float w = 0.8f;
        box(x0 - w, y0 - w, x1 + w, y0, colour);
        box(x0 - w, y1, x1 + w, y1 + w, colour);
        box(x0 - w, y0, x0, y1, colour);
        box(x1, y0, x1 + w, y1, colour);
    }
};

// Where each slot sits on the figure, for its outline: x0, y0, x1, y1.
const float kSlotArea[12][4] = {{-6, 82, 6, 96},   {-8, 94, 8, 104},   {-8, 86, 8, 101},
                                {-11, 50, 11, 80}, {-10, 8, 10, 50},   {-18, 44, 18, 54},
                                {-11, 0, 11, 9},   {-6, 88, 6, 93},    {-7, 74, 7, 82},
                                {10, 52, 17, 76},  {-18, 58, -11, 76}, {-13, 48, 13, 81}};

} // namespace

void paintPlayerCharacter(Image& image) {
    const sim::Game& world = sim::game();
    sim::Variation slots[12];
    for (std::int32_t id = 0; id < 12; ++id) slots[id] = sim::variationOf(world.playerPed, id);
    const int marked = world.lastComponentAsked;
    const float h = static_cast<float>(image.height);
    const Figure figure{image, 0.82f * static_cast<float>(image.width), 0.9f * h, 0.0054f * h};
    // Each slot starts at a colour of its own, so that the default look is not
    // all one colour: head red, hair yellow, torso blue, legs and eyes dark...
    static const int firstColour[12] = {0, 0, 2, 1, 6, 7, 5, 6, 3, 5, 4, 3};
    const auto colourOf = [&](int slot) {
        return textureColour(slots[slot].texture + firstColour[slot]);
    };
    const auto shape = [&](int slot, int shapes) { return shapeOf(slots[slot].drawable, shapes); };
    static const Rgb skins[4] = {{241, 194, 160}, {224, 172, 105}, {198, 134, 66}, {141, 85, 36}};
    const Rgb skin = skins[static_cast<unsigned>(slots[0].texture) % 4];

    // Tasks: a backpack, behind everything else.
    if (shape(9, 2) == 1) figure.box(9, 52, 16, 76, colourOf(9));
    // Feet, then legs: trousers, shorts or a skirt.
    const int feet = shape(6, 3);
    figure.box(-10, 0, -1, feet == 1 ? 8 : 4, colourOf(6));
    figure.box(1, 0, 10, feet == 1 ? 8 : 4, colourOf(6));
    const int legs = shape(4, 3);
    figure.box(-8, 4, -1, 50, legs == 0 ? colourOf(4) : skin);
    figure.box(1, 4, 8, 50, legs == 0 ? colourOf(4) : skin);
    if (legs == 1) figure.box(-9, 32, 9, 50, colourOf(4));
    if (legs == 2)
        figure.fill(-12, 26, 12, 50, colourOf(4),
                    [](float u, float v) { return std::fabs(u - 0.5f) < 0.3f + 0.2f * v; });
    // Torso: the shirt's pattern by drawable; arms and hands (gloves or not).
    figure.patterned(-10, 50, 10, 80, colourOf(3), shape(3, 4));
    figure.box(-16, 54, -10, 78, colourOf(3));
    figure.box(10, 54, 16, 78, colourOf(3));
    const Rgb hands = shape(5, 2) == 1 ? colourOf(5) : skin;
    figure.oval(-18, 46, -9, 55, hands);
    figure.oval(9, 46, 18, 55, hands);
    // Textures: marks on the left arm.
    const int marks = shape(10, 3);
    for (int i = 0; i < marks * 2; ++i)
        figure.oval(-15, 60 + 4.0f * i, -11, 63 + 4.0f * i, colourOf(10));
    // Torso2: an open jacket or a vest over the shirt.
    const int over = shape(11, 3);
    if (over > 0) {
        figure.box(-11, 49, -4, 81, colourOf(11));
        figure.box(4, 49, 11, 81, colourOf(11));
        if (over == 1) {
            figure.box(-17, 56, -10, 79, colourOf(11));
            figure.box(10, 56, 17, 79, colourOf(11));
        }
    }
    // Accessories: a necklace or a scarf.
    const int accessory = shape(8, 3);
    if (accessory == 1) figure.oval(-5, 74, 5, 80, colourOf(8));
    if (accessory == 2) figure.box(-7, 76, 7, 82, colourOf(8));
    // Face: its shape by drawable, its skin by texture.
    const int face = shape(0, 3);
    if (face == 2)
        figure.box(-6, 82, 6, 96, skin);
    else
        figure.oval(face == 1 ? -7 : -6, 82, face == 1 ? 7 : 6, 96, skin);
    // Hair (short, long, a crest or none), then eyes (and glasses), then
    // whatever is worn on the head.
    const int hair = shape(2, 4);
    if (hair == 0) figure.box(-6, 93, 6, 97, colourOf(2));
    if (hair == 1) {
        figure.box(-7, 93, 7, 97, colourOf(2));
        figure.box(-8, 84, -6, 96, colourOf(2));
        figure.box(6, 84, 8, 96, colourOf(2));
    }
    if (hair == 2) figure.box(-1.5f, 94, 1.5f, 101, colourOf(2));
    const int eyes = shape(7, 3);
    const Rgb eyeColour = eyes == 0 ? Rgb{30, 30, 30} : colourOf(7);
    figure.oval(-4, 88, -1, 91, eyeColour);
    figure.oval(1, 88, 4, 91, eyeColour);
    if (eyes > 0) figure.box(-4, 89, 4, 90, colourOf(7));
    if (eyes == 2) {
        figure.box(-5, 87.5f, -0.5f, 91.5f, colourOf(7));
        figure.box(0.5f, 87.5f, 5, 91.5f, colourOf(7));
    }
    const int headgear = shape(1, 4);
    if (headgear == 1) figure.box(-7, 95, 7, 99, colourOf(1));
    if (headgear == 2) {
        figure.box(-8, 95, 8, 96.5f, colourOf(1));
        figure.box(-5, 96.5f, 5, 103, colourOf(1));
    }
    if (headgear == 3) figure.oval(-7, 92, 7, 104, colourOf(1));

    if (marked >= 0 && marked < 12) {
        const float* area = kSlotArea[marked];
        figure.outline(area[0], area[1], area[2], area[3], {255, 255, 255});
    }
}

PixelBox boxPixels(const sim::RectItem& rect, int screenWidth, int screenHeight) {
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

LinePlace placeLine(const sim::TextItem& text, int index, int lineWidth, float lineHeight,
                    int screenWidth, int screenHeight) {
    const float left = text.x * static_cast<float>(screenWidth) -
                       (text.centred ? static_cast<float>(lineWidth) / 2.0f : 0.0f);
    return {static_cast<int>(std::lround(left)),
            text.y * static_cast<float>(screenHeight) + static_cast<float>(index) * lineHeight};
}

std::vector<TextPass> textPasses(const sim::TextItem& text) {
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

} // namespace picture
