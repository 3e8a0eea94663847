#include "frame_shape.h"

#include <cstring>
#include <vector>

#include "ui/menus.h"

namespace {

const std::vector<std::string> kRowCalls = {
    "screenResolution",   "setTextFont",       "setTextScale",      "setTextColour",
    "setTextCentred",     "setTextDropShadow", "setTextEdge",       "beginTextDisplay",
    "addPlainText",       "drawPendingText",   "setTextFont",       "setTextScale",
    "setTextColour",      "setTextCentred",    "setTextDropShadow", "setTextEdge",
    "beginTextLineCount", "addPlainText",      "finishLineCount",   "characterHeight",
    "drawRectangle"};
const std::vector<std::string> kStatusCalls = {
    "setTextFont",       "setTextScale", "setTextColour",    "setTextWrap",  "setTextCentred",
    "setTextDropShadow", "setTextEdge",  "beginTextDisplay", "addPlainText", "drawPendingText"};
const std::vector<std::string> kActionCalls = {
    "playerPed",       "pedDrawable",           "pedTexture", "pedDrawableCount", "pedTextureCount",
    "setPedVariation", "setPedDefaultVariation"};

bool matchesAt(const std::vector<std::string>& names, std::size_t at,
               const std::vector<std::string>& pattern) {
    if (at + pattern.size() > names.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (names[at + i] != pattern[i]) return false;
    }
    return true;
}

bool isAction(const std::string& name) {
    for (const std::string& action : kActionCalls) {
        if (name == action) return true;
    }
    return false;
}

// What the game recorded of each text's style: every style call made for it
// (a row sets no wrap), and in force when it was drawn.
std::string checkTextStyles(const sim::Frame& frame) {
    const std::uint8_t all = sim::kStyleFont | sim::kStyleScale | sim::kStyleColour |
                             sim::kStyleWrap | sim::kStyleCentred | sim::kStyleShadow |
                             sim::kStyleEdge;
    for (const sim::TextItem& text : frame.texts) {
        const bool isStatus = text.centred;
        const std::uint8_t expected = isStatus ? all : all & ~sim::kStyleWrap;
        if (text.styleGiven != expected)
            return "'" + text.text + "' drawn with style calls " + std::to_string(text.styleGiven) +
                   " of the " + std::to_string(expected) + " a " +
                   (isStatus ? "status line" : "menu row") + " makes";
    }
    return "";
}

} // namespace

std::string checkFrameShape(const sim::Frame& frame, const FrameContext& context) {
    std::vector<std::string> names;
    for (const sim::NativeCall& call : frame.calls) names.push_back(sim::nativeName(call.hash));
    std::size_t at = 0;

    // A clothing action's reads and writes, ahead of the checks' own ped read.
    while (at < names.size() && isAction(names[at]) &&
           !(names[at] == "playerPed" && at + 1 < names.size() && names[at + 1] == "isEntityDead"))
        ++at;
    const std::size_t actions = at;

    std::size_t rows = 0;
    std::string firstCaption;
    while (at < names.size() && names[at] == "screenResolution") {
        if (context.screenValid) {
            if (!matchesAt(names, at, kRowCalls))
                return "a row at call " + std::to_string(at) +
                       " that is not a row's 21 calls, screenResolution to drawRectangle";
            if (rows == 0) firstCaption = frame.calls[at + 8].text;
            at += kRowCalls.size();
        } else {
            at += 1; // nothing after the resolution on a screen without size
        }
        ++rows;
    }
    // A menu is drawn whole: its title and every row.
    const std::size_t topMenu = 1 + kMainMenuRows, clothingMenu = 1 + kClothingMenuRows;
    if (rows != 0 && rows != topMenu && rows != clothingMenu) {
        return std::to_string(rows) + " rows in one frame; a frame has none, " +
               std::to_string(topMenu) + " (\"Drapelle\" and its rows) or " +
               std::to_string(clothingMenu) + " (\"Clothing Menu\" and its rows)";
    }
    // By its title too, as both menus may hold as many rows.
    const bool isTop = rows == topMenu && firstCaption == "Drapelle";
    const bool isClothing = rows == clothingMenu && firstCaption == "Clothing Menu";
    if (context.screenValid && rows != 0 && !isTop && !isClothing)
        return std::to_string(rows) + " rows under '" + firstCaption + "', not " +
               (rows == topMenu ? "\"Drapelle\"" : "\"Clothing Menu\"");

    const bool status = matchesAt(names, at, kStatusCalls);
    if (status) at += kStatusCalls.size();

    const std::vector<std::string> deadChecks = {"playerPed", "isEntityDead"};
    const std::vector<std::string> aliveChecks = {"playerPed", "isEntityDead", "playerIndex",
                                                  "isPlayerBeingArrested"};
    const std::vector<std::string>& checks = context.dead ? deadChecks : aliveChecks;
    if (!matchesAt(names, at, checks)) {
        const std::string expected = context.dead ? "playerPed, isEntityDead"
                                                  : "playerPed, isEntityDead, playerIndex, "
                                                    "isPlayerBeingArrested";
        return (at < names.size() ? "unexpected " + names[at] + " at call " + std::to_string(at)
                                  : std::string("the frame ends")) +
               " where the checks come (" + expected + ")";
    }
    at += checks.size();
    if (at != names.size()) return "calls after the checks: " + names[at];

    if (context.held && (actions > 0 || rows > 0 || status))
        return "something of the plug-in ran while the character was held";
    return checkTextStyles(frame);
}
