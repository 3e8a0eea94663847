#include <cstdlib>

#include "host/natives.h"
#include "input/key_table.h"
#include "plugin_fixture.h"
#include "simhost/picture/render.h"
#include "ui/menu_row.h"
#include "ui/menus.h"
#include "ui/status_line.h"

namespace {

bool near(const std::uint8_t* pixel, sim::Rgba colour) {
    return std::abs(pixel[0] - colour.r) < 12 && std::abs(pixel[1] - colour.g) < 12 &&
           std::abs(pixel[2] - colour.b) < 12;
}

// Pixels in a band that are far from the box colour: the caption's strokes.
int inkIn(const picture::Image& image, int x0, int x1, int y0, int y1, sim::Rgba box) {
    int ink = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t* pixel = image.at(x, y);
            ink += std::abs(pixel[0] - box.r) + std::abs(pixel[1] - box.g) +
                       std::abs(pixel[2] - box.b) >
                   200;
        }
    }
    return ink;
}

const sim::Rgba kBlack{0, 0, 0, 255}, kSlate{70, 95, 95, 255}, kPaleGreen{218, 242, 216, 255};

class Render : public PluginTest {
  protected:
    void SetUp() override {
        PluginTest::SetUp();
        std::string error;
        ASSERT_TRUE(sim::loadFonts(error)) << error;
    }
};

// The painter and the natives it answers, driven as a plug-in would drive
// them, from the script's fiber.
class RenderNatives : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        std::string error;
        ASSERT_TRUE(sim::loadFonts(error)) << error;
    }
};

// The clothing menu with row 2 highlighted and a status line, painted at
// 1280 x 720: every box where the layout puts it, in its colour, with its
// caption inside, and the status line near the bottom.
TEST_F(Render, ClothingMenuFrameHasItsBoxesAndTexts) {
    sim::runFrame();
    sim::keyDown(kMenuKey);
    sim::keyUp(kMenuKey);
    sim::runFrames(12);
    sim::keyDown(kKeyNumpad5);
    sim::runFrames(2);
    sim::keyUp(kKeyNumpad5);
    sim::runFrames(12);
    for (int move = 0; move < 2; ++move) {
        sim::keyDown(kKeyNumpad2);
        sim::runFrames(2);
        sim::keyUp(kKeyNumpad2);
        sim::runFrames(12);
    }
    showStatus(" [Face]: 3,(10),0,(2)");
    sim::runFrame();
    const picture::Image image = picture::renderFrame(sim::lastFrame());
    ASSERT_EQ(image.width, 1280) << "the picture's width, the stand-in's screen";
    ASSERT_EQ(image.height, 720) << "the picture's height, the stand-in's screen";

    // Title: black, 250 wide, from y 20 (18 plus the 2-pixel offset).
    EXPECT_TRUE(near(image.at(245, 22), kBlack));
    EXPECT_TRUE(near(image.at(2, 22), kBlack));
    EXPECT_FALSE(near(image.at(251, 22), kBlack));
    EXPECT_FALSE(near(image.at(245, 17), kBlack));
    EXPECT_GT(inkIn(image, 5, 240, 30, 55, kBlack), 100) << "the title's caption";

    // Plain rows: slate, 250 wide; each overlaps the next by a few pixels, so
    // look below the one drawn over its top.
    for (int row = 0; row < kClothingMenuRows; ++row) {
        if (row == 2) continue;
        const int top = 60 + 36 * row + 2;
        EXPECT_TRUE(near(image.at(249, top + 8), kSlate)) << row;
        EXPECT_FALSE(near(image.at(250, top + 8), kSlate)) << row;
        EXPECT_GT(inkIn(image, 9, 240, top + 9, top + 27, kSlate), 50) << "caption of row " << row;
    }
    const int highlightTop = 56 + 36 * 2 + 2;
    EXPECT_TRUE(near(image.at(250, highlightTop + 2), kPaleGreen));
    EXPECT_FALSE(near(image.at(251, highlightTop + 2), kPaleGreen));
    EXPECT_FALSE(near(image.at(250, highlightTop - 2), kPaleGreen));
    EXPECT_GT(inkIn(image, 7, 240, highlightTop + 10, highlightTop + 30, kPaleGreen), 50)
        << "pixels of the highlighted row's caption";

    // The status line: white strokes with a dark outline, centred at 0.9.
    int white = 0, left = 1280, right = 0;
    for (int y = 648; y < 690; ++y) {
        for (int x = 0; x < 1280; ++x) {
            if (near(image.at(x, y), {255, 255, 255, 255})) {
                ++white;
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    EXPECT_GT(white, 100) << "white pixels of the status line, at y 648 to 690";
    EXPECT_NEAR((left + right) / 2, 640, 12) << "centred";

    // Every caption in its own face, size, colour and outline: the picture is
    // the one painted from texts styled as each kind of row should be.
    sim::Frame styled = sim::lastFrame();
    ASSERT_EQ(styled.texts.size(), 1u + kClothingMenuRows + 1)
        << "texts drawn: the title, the clothing menu's rows (kClothingRows in ui/menus.h) "
           "and the status line";
    for (sim::TextItem& text : styled.texts) {
        const bool title = text.text == "Clothing Menu", status = text.text[0] == ' ';
        const bool active = text.text == kClothingRows[2];
        sim::TextItem kind;
        kind.text = text.text;
        kind.x = text.x;
        kind.y = text.y;
        kind.font = title ? 1 : 0;
        kind.scale = status ? 0.55f : title ? 0.5f : active ? 0.4f : 0.35f;
        kind.firstScale = status ? 0.55f : 0.0f;
        kind.colour = active ? kBlack : sim::Rgba{255, 255, 255, 255};
        kind.centred = status;
        kind.edge =
            status ? std::array<std::int32_t, 5>{1, 0, 0, 0, 205} : std::array<std::int32_t, 5>{};
        text = kind;
    }
    EXPECT_TRUE(picture::renderFrame(styled).rgba == image.rgba)
        << "a caption is painted in another style than its row's";
}

// The contact sheet's inset holds the whole menu drawn, however many rows it
// has: the top and bottom of a seven-row menu's last box show in it, which a
// fixed corner for five rows would cut off.
TEST_F(RenderNatives, ContactSheetInsetHoldsALongerMenu) {
    sim::beginFrame();
    onFiber([] {
        drawMenuRow("Clothing Menu", 250.0f, 15.0f, 18.0f, 5.0f, false, true);
        for (int row = 0; row < 6; ++row)
            drawMenuRow("Row", 250.0f, 9.0f, 60.0f + 36.0f * static_cast<float>(row), 9.0f, false,
                        false);
        drawMenuRow("Seventh Row", 251.0f, 11.0f, 56.0f + 36.0f * 6, 7.0f, true, false);
    });
    const sim::Frame& frame = sim::frameInProgress();
    const int corner = picture::menuCorner(frame);
    const picture::Image sheet =
        picture::contactSheet({picture::renderFrame(frame)}, {"seven rows"}, {corner}, 1, 560);
    // The inset: 216 pixels square at the tile's corner, 8 in from the sheet's.
    const auto inset = [&](float fraction, int screen) {
        return 8 + static_cast<int>(fraction * static_cast<float>(screen) * 216 / corner);
    };
    const sim::RectItem& last = frame.rects.back();
    for (const float edge : {last.centreY - last.height / 2, last.centreY + last.height / 2}) {
        const float inside = edge < last.centreY ? edge + 0.004f : edge - 0.004f;
        EXPECT_TRUE(near(sheet.at(inset(last.centreX, 1280), inset(inside, 720)), kPaleGreen))
            << "the seventh row's box near its " << (edge < last.centreY ? "top" : "bottom")
            << " edge, in an inset of " << corner << " screen pixels square";
    }
}

// The line-count native reports the lines the renderer draws: a long text in
// a narrow wrap counted through the natives, then drawn and read back as
// bands of text rows.
TEST_F(RenderNatives, LineCountAgreesWithTheLinesDrawn) {
    const std::string text = "Drapelle lets you inspect and change your character's clothing from "
                             "an in-game keypad menu, slot by slot, with every step shown.";
    auto style = [] {
        setTextFont(0);
        setTextScale(0.0f, 0.5f);
        setTextColour(255, 255, 255, 255);
        setTextWrap(0.3f, 0.7f);
        setTextCentred(true);
    };
    sim::beginFrame();
    int counted = 0;
    onFiber([&] {
        style();
        beginTextLineCount("STRING");
        addPlainText(text.c_str());
        counted = finishLineCount(0.5f, 0.2f);
        style();
        beginTextDisplay("STRING");
        addPlainText(text.c_str());
        drawPendingText(0.5f, 0.2f);
    });
    const picture::Image image = picture::renderFrame(sim::frameInProgress());

    int bands = 0, left = 1280, right = 0;
    bool inBand = false;
    for (int y = 100; y < 720; ++y) {
        bool ink = false;
        for (int x = 0; x < 1280; ++x) {
            if (near(image.at(x, y), {255, 255, 255, 255})) {
                ink = true;
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        bands += ink && !inBand;
        inBand = ink;
    }
    EXPECT_GE(counted, 3) << "lines the line-count native reported for the long text";
    EXPECT_EQ(bands, counted) << "bands of text painted against the lines counted";
    EXPECT_GE(left, static_cast<int>(0.3 * 1280) - 2) << "leftmost ink, inside the wrap bounds";
    EXPECT_LE(right, static_cast<int>(0.7 * 1280) + 2) << "rightmost ink, inside the wrap bounds";
}

// The character height the game reports is the height of a drawn line, in
// each font: font 1, the titles' bold face, stands taller.
TEST_F(RenderNatives, CharacterHeightIsTheLineSpacingDrawn) {
    const struct {
        std::int32_t font;
        float pixels; // at scale 0.5 on a 720-line screen
    } fonts[] = {{0, 25.2f}, {1, 27.72f}};
    for (const auto& [font, pixels] : fonts) {
        float height = 0.0f;
        sim::beginFrame();
        onFiber([&, font = font] {
            height = characterHeight(0.5f, font);
            setTextFont(font);
            setTextScale(0.0f, 0.5f);
            setTextColour(255, 255, 255, 255);
            setTextWrap(0.0f, 0.07f); // room for one word a line
            beginTextDisplay("STRING");
            addPlainText("HHHH HHHH");
            drawPendingText(0.0f, 0.1f);
        });
        EXPECT_NEAR(height * 720, pixels, 0.01f) << "font " << font;
        const picture::Image image = picture::renderFrame(sim::frameInProgress());
        std::vector<int> tops;
        bool inBand = false;
        for (int y = 60; y < 200; ++y) {
            bool ink = false;
            for (int x = 0; x < 256; ++x) ink |= near(image.at(x, y), {255, 255, 255, 255});
            if (ink && !inBand) tops.push_back(y);
            inBand = ink;
        }
        ASSERT_EQ(tops.size(), 2u) << "two lines in font " << font;
        EXPECT_NEAR(tops[1] - tops[0], height * 720, 1.0) << "font " << font;
    }
}

// Every one of the character's twelve slots shows in the picture: another
// drawable changes it, and so does another texture of that drawable.
TEST_F(Render, EverySlotsDrawableAndTextureShowOnTheCharacter) {
    sim::beginFrame();
    const std::int32_t ped = sim::game().playerPed;
    const auto paint = [&](std::int32_t id, sim::Variation variation) {
        sim::setVariation(ped, id, variation);
        return picture::renderFrame(sim::frameInProgress()).rgba;
    };
    for (std::int32_t id = 0; id < 12; ++id) {
        const std::vector<std::uint8_t> plain = paint(id, {0, 0, 0});
        const std::vector<std::uint8_t> other = paint(id, {1, 0, 0});
        const std::vector<std::uint8_t> recoloured = paint(id, {1, 1, 0});
        paint(id, {0, 0, 0});
        EXPECT_NE(plain, other) << sim::componentName(id) << ": drawable";
        EXPECT_NE(other, recoloured) << sim::componentName(id) << ": texture";
    }
}

} // namespace
