#include <array>
#include <charconv>
#include <cstring>

#include "plugin_fixture.h"
#include "row_layout.h"
#include "ui/menu_row.h"

namespace {

class MenuRow : public HostTest {
  protected:
    // Draws one row outside any script, as its own frame.
    const sim::Frame& draw(const std::string& text, float width, float inset, float top, float left,
                           std::uint8_t isActive, std::uint8_t isTitle) {
        sim::beginFrame();
        onFiber([&] { drawMenuRow(textOf(text), width, inset, top, left, isActive, isTitle); });
        return sim::frameInProgress();
    }
};

std::string num(float value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

struct Style {
    int font;
    float scale;
    const char* text;
    const char* box;
};

// One row of one line with the layout of row 1 (250, 9, 96, 9): the whole
// native sequence, in order (positions are checked bit for bit below).
std::vector<std::string> rowSequence(const std::string& caption, const Style& style, int width,
                                     int height) {
    const float rw = 1.0f / static_cast<float>(width), rh = 1.0f / static_cast<float>(height);
    const float w = rw * 250.0f, t = rh * 96.0f, x = rw * 9.0f, p = rh * 9.0f;
    const float y = ((t + 0.00278f) + p) - 0.005f;
    const float c = style.scale * 0.07f;
    const float h = ((1.0f * c) + (p * 2.0f)) + 0.005f;
    const std::string at = num(x) + ", " + num(y) + ")";
    std::vector<std::string> styleCalls = {"setTextFont(" + std::to_string(style.font) + ")",
                                           "setTextScale(0, " + num(style.scale) + ")",
                                           std::string("setTextColour(") + style.text + ", 255)",
                                           "setTextCentred(0)",
                                           "setTextDropShadow(0, 0, 0, 0, 0)",
                                           "setTextEdge(0, 0, 0, 0, 0)"};
    std::vector<std::string> calls = {"screenResolution(&, &)"};
    calls.insert(calls.end(), styleCalls.begin(), styleCalls.end());
    calls.insert(calls.end(), {"beginTextDisplay(\"STRING\")", "addPlainText(\"" + caption + "\")",
                               "drawPendingText(" + at});
    calls.insert(calls.end(), styleCalls.begin(), styleCalls.end());
    calls.insert(calls.end(),
                 {"beginTextLineCount(\"STRING\")", "addPlainText(\"" + caption + "\")",
                  "finishLineCount(" + at, "characterHeight(" + num(style.scale) + ", 0)",
                  "drawRectangle(" + num(w * 0.5f) + ", " + num((h * 0.5f) + (t + 0.00278f)) +
                      ", " + num(w) + ", " + num(h) + ", " + style.box + ", 255)"});
    return calls;
}

TEST_F(MenuRow, EachStyleMakesTheWholeSequenceOf21Calls) {
    sim::game().forcedLineCount = 1;
    const Style plain{0, 0.35f, "255, 255, 255", "70, 95, 95"};
    const Style active{0, 0.4f, "0, 0, 0", "218, 242, 216"};
    const Style title{1, 0.5f, "255, 255, 255", "0, 0, 0"};
    const Style both{1, 0.5f, "0, 0, 0", "0, 0, 0"};
    for (auto [width, height] : {std::pair{1024, 512}}) {
        sim::game().screenWidth = width;
        sim::game().screenHeight = height;
        EXPECT_EQ(sim::describeCalls(draw("Close Menu", 250, 9, 96, 9, 0, 0)),
                  rowSequence("Close Menu", plain, width, height));
        EXPECT_EQ(sim::describeCalls(draw("Default Skin", 250, 9, 96, 9, 1, 0)),
                  rowSequence("Default Skin", active, width, height));
        // The title's caption is drawn in font 1 but its box is sized by font 0.
        EXPECT_EQ(sim::describeCalls(draw("Drapelle", 250, 9, 96, 9, 0, 1)),
                  rowSequence("Drapelle", title, width, height));
        EXPECT_EQ(sim::describeCalls(draw("Both", 250, 9, 96, 9, 1, 1)),
                  rowSequence("Both", both, width, height));
    }
    EXPECT_EQ(sim::frameInProgress().calls.size(), 21u) << "natives a row calls";
}

// Every kind of row of both menus at the common screens, every float compared
// bit for bit. The table is only as good as its power to tell the groupings
// apart, so that is checked too: each other grouping must give other bits
// somewhere in it.
TEST_F(MenuRow, EveryFloatOfEveryRowKindIsBitExactAtCommonScreens) {
    const std::pair<int, int> screens[] = {{1280, 720},  {1366, 768},  {1600, 900}, {1920, 1080},
                                           {2560, 1440}, {3840, 2160}, {800, 600}};
    struct Kind {
        float width, inset, top, left;
        std::uint8_t isActive, isTitle;
        float scale;
    };
    std::vector<Kind> kinds = {{250, 15, 18, 5, 0, 1, 0.5f}};
    for (int i = 0; i < 5; ++i) {
        kinds.push_back({250, 9, 60.0f + 36.0f * static_cast<float>(i), 9, 0, 0, 0.35f});
        kinds.push_back({251, 11, 56.0f + 36.0f * static_cast<float>(i), 7, 1, 0, 0.4f});
    }
    std::array<std::vector<std::string>, kGroupings> toldApartAt;
    for (auto [screenWidth, screenHeight] : screens) {
        sim::game().screenWidth = screenWidth;
        sim::game().screenHeight = screenHeight;
        for (int lines : {1, 2, -1}) { // a count the host gets wrong is still signed
            sim::game().forcedLineCount = lines;
            for (const Kind& k : kinds) {
                const Layout layout{k.width,     k.inset,      k.top, k.left,
                                    screenWidth, screenHeight, lines, k.scale};
                const auto expected = layoutFloats(layout, kAsWritten);
                EXPECT_EQ(handedFloats(
                              draw("Row", k.width, k.inset, k.top, k.left, k.isActive, k.isTitle)),
                          expected)
                    << screenWidth << "x" << screenHeight << " top " << k.top;
                for (int g = kDivided; g < kGroupings; ++g) {
                    if (layoutFloats(layout, static_cast<Grouping>(g)) != expected)
                        toldApartAt[g].push_back(std::to_string(screenWidth) + "x" +
                                                 std::to_string(screenHeight));
                }
            }
        }
    }
    for (int g = kDivided; g < kGroupings; ++g)
        EXPECT_FALSE(toldApartAt[g].empty()) << "grouping " << g << " gives the same bits";
}

TEST_F(MenuRow, AnyNonZeroFlagByteCountsAsSet) {
    sim::game().forcedLineCount = 1;
    const sim::Frame& frame = draw("Flagged", 250, 9, 60, 9, 2, 0x80);
    ASSERT_EQ(frame.texts.size(), 1u) << "texts a row draws";
    EXPECT_EQ(frame.texts[0].colour, (sim::Rgba{0, 0, 0, 255}));
    EXPECT_EQ(frame.texts[0].font, 1) << "the caption's font, a title's";
    EXPECT_EQ(frame.texts[0].scale, 0.5f) << "the caption's scale, a title's";
    EXPECT_EQ(frame.rects[0].colour, (sim::Rgba{0, 0, 0, 255}));
}

// The worked example: a title row at 1280 x 720.
TEST_F(MenuRow, TitleAt1280By720LandsWhereTheLayoutSays) {
    sim::game().forcedLineCount = 1;
    const sim::Frame& frame = draw("Drapelle", 250, 15, 18, 5, 0, 1);
    ASSERT_EQ(frame.texts.size(), 1u) << "texts a row draws";
    ASSERT_EQ(frame.rects.size(), 1u) << "rectangles a row draws";
    const sim::TextItem& caption = frame.texts[0];
    const sim::RectItem& box = frame.rects[0];
    const float c = 0.5f * 0.07f;

    EXPECT_EQ(caption.x, 0.00390625f) << "the caption's left edge, 5 px of 1280";
    EXPECT_NEAR(caption.y, 0.0436133f, 1e-6) << "the caption's top, as a fraction of 720";
    EXPECT_EQ(box.centreX, 0.09765625f) << "the box's centre, 125 px of 1280";
    EXPECT_EQ(box.width, 0.1953125f) << "the box's width, 250 px of 1280";
    EXPECT_NEAR(box.centreY - box.height / 2, 0.02778f, 1e-6) << "the box's top edge";
    EXPECT_NEAR(box.height, c + 0.0466667f, 1e-6) << "the box's height";
    EXPECT_EQ(box.colour, (sim::Rgba{0, 0, 0, 255}));
    EXPECT_EQ(caption.colour, (sim::Rgba{255, 255, 255, 255}));
    EXPECT_FALSE(caption.centred);
}

// Layout values are pixels of the actual screen: a bigger screen makes a
// smaller row, while the two fixed offsets stay the same fractions.
TEST_F(MenuRow, LargerScreenMakesSmallerRowsWithTheSameOffsets) {
    sim::game().forcedLineCount = 1;
    const sim::RectItem small = draw("Row", 250, 9, 60, 9, 0, 0).rects.at(0);
    const sim::TextItem smallText = sim::frameInProgress().texts.at(0);
    sim::game().screenWidth = 2560;
    sim::game().screenHeight = 1440;
    const sim::RectItem large = draw("Row", 250, 9, 60, 9, 0, 0).rects.at(0);
    const sim::TextItem largeText = sim::frameInProgress().texts.at(0);

    EXPECT_EQ(large.width, small.width / 2) << "the box's width on a screen twice as large";
    EXPECT_EQ(largeText.x, smallText.x / 2) << "the caption's left edge on it";
    const float smallTop = small.centreY - small.height / 2;
    const float largeTop = large.centreY - large.height / 2;
    EXPECT_NEAR(smallTop - 60.0f / 720, 0.00278f, 1e-6) << "the fixed top offset at 720";
    EXPECT_NEAR(largeTop - 60.0f / 1440, 0.00278f, 1e-6) << "the fixed top offset at 1440";
    const float c = 0.35f * 0.07f;
    EXPECT_NEAR(small.height - c - 18.0f / 720, 0.005f, 1e-6) << "the fixed height offset at 720";
    EXPECT_NEAR(large.height - c - 18.0f / 1440, 0.005f, 1e-6) << "the fixed height offset at 1440";
}

TEST_F(MenuRow, EachLineMakesTheBoxTallerByOneCharacterHeight) {
    const float c = 0.35f * 0.07f;
    const float p = 9.0f / 720;
    float previousHeight = 0;
    for (int lines : {0, 1, 3}) {
        sim::game().forcedLineCount = lines;
        const sim::Frame& frame = draw("Several lines", 250, 9, 60, 9, 0, 0);
        const sim::RectItem box = frame.rects.at(0);
        EXPECT_NEAR(box.height, lines * c + 2 * p + 0.005f, 1e-6)
            << "the box's height for " << lines << " line(s)";
        EXPECT_NEAR(box.centreY - box.height / 2, 60.0f / 720 + 0.00278f, 1e-6)
            << "the box's top for " << lines << " line(s)";
        EXPECT_NEAR(frame.texts.at(0).y, 60.0f / 720 + 0.00278f + p - 0.005f, 1e-6)
            << "the caption's top for " << lines << " line(s)";
        EXPECT_GT(box.height, previousHeight) << "the box's height for " << lines << " line(s)";
        previousHeight = box.height;
    }
}

// A screen without size has nothing to divide by: the row stops after asking.
// One pixel is a size.
TEST_F(MenuRow, ZeroOrNegativeScreenSizeDrawsNothing) {
    const std::tuple<int, int, std::size_t> screens[] = {
        {1280, 0, 1}, {0, 720, 1}, {-1280, 720, 1}, {1280, -1, 1}, {1, 720, 21}, {1280, 1, 21}};
    for (auto [width, height, calls] : screens) {
        sim::game().screenWidth = width;
        sim::game().screenHeight = height;
        const sim::Frame& frame = draw("Row", 250, 9, 60, 9, 0, 0);
        EXPECT_EQ(frame.calls.size(), calls)
            << "natives a row calls on a " << width << " x " << height << " screen";
        EXPECT_EQ(sim::describeCall(frame.calls.at(0)), "screenResolution(&, &)");
    }
}

TEST_F(MenuRow, ResolutionIsAskedAfreshForEveryRow) {
    sim::game().forcedLineCount = 1;
    const float before = draw("Row", 250, 9, 60, 9, 0, 0).rects.at(0).width;
    sim::game().screenWidth = 500;
    EXPECT_EQ(draw("Row", 250, 9, 60, 9, 0, 0).rects.at(0).width, 0.5f)
        << "a 250 px box on a screen 500 px wide";
    EXPECT_NE(before, 0.5f) << "the same box at 1280 px";
}

} // namespace
