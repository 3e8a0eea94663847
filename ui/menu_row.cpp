#include "ui/menu_row.h"

#include "host/natives.h"

namespace {

constexpr float kBoxTopOffset = 0.00278f; // screen fraction between the row top and the box
constexpr float kTextRaise = 0.005f;      // screen fraction the caption sits above its inset

struct Rgb {
    std::int32_t r, g, b;
};

struct RowStyle {
    std::int32_t font;
    float textScale;
    Rgb text;
    Rgb box;
};

RowStyle chooseRowStyle(std::uint8_t isActive, std::uint8_t isTitle) {
    RowStyle style{0, 0.35f, {255, 255, 255}, {70, 95, 95}};
    if (isActive) {
        style.text = {0, 0, 0};
        style.box = {218, 242, 216};
        style.textScale = 0.4f;
    }
    if (isTitle) {
        style.box = {0, 0, 0};
        style.textScale = 0.5f;
        style.font = 1;
    }
    return style;
}

// The six calls that set a text's whole style; the host forgets it after
// every text drawn or measured.
void applyTextStyle(const RowStyle& style) {
    setTextFont(style.font);
    setTextScale(0.0f, style.textScale);
    setTextColour(style.text.r, style.text.g, style.text.b, 255);
    setTextCentred(false);
    setTextDropShadow(0, 0, 0, 0, 0);
    setTextEdge(0, 0);
}

} // namespace

void drawMenuRow(InlineString rowText, float rowWidth, float rowInset, float rowTop,
                 float rowTextLeft, std::uint8_t isActive, std::uint8_t isTitle) {
    const RowStyle style = chooseRowStyle(isActive, isTitle);

    std::int32_t width = 0;
    std::int32_t height = 0;
    screenResolution(&width, &height);
    // A screen without size has no fractions to draw in.
    if (width <= 0 || height <= 0) return;
    const float rw = 1.0f / static_cast<float>(width);
    const float rh = 1.0f / static_cast<float>(height);

    const float w = rw * rowWidth;
    const float t = rh * rowTop;
    const float x = rw * rowTextLeft;
    const float p = rh * rowInset;
    const float y = ((t + kBoxTopOffset) + p) - kTextRaise;

    applyTextStyle(style);
    beginTextDisplay("STRING");
    addPlainText(rowText.c_str());
    drawPendingText(x, y);

    applyTextStyle(style);
    beginTextLineCount("STRING");
    addPlainText(rowText.c_str());
    const std::int32_t lines = finishLineCount(x, y);

    // Font 0 for every kind of row: the box is sized by the item font's height.
    const float c = characterHeight(style.textScale, 0);

    const float h = ((static_cast<float>(lines) * c) + (p * 2.0f)) + kTextRaise;
    const float centreY = (h * 0.5f) + (t + kBoxTopOffset);
    const float centreX = w * 0.5f;
    drawRectangle(centreX, centreY, w, h, style.box.r, style.box.g, style.box.b, 255);
}
