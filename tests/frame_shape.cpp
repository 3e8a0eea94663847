#include "frame_shape.h"

#include <cstring>
#include <vector>

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
            if (!matchesAt(names, at, kRowCalls)) return "a row that is not 21 calls";
            if (rows == 0) firstCaption = frame.calls[at + 8].text;
            at += kRowCalls.size();
        } else {
            at += 1; // nothing after the resolution on a screen without size
        }
        ++rows;
    }
    if (rows != 0 && rows != 3 && rows != 6) return std::to_string(rows) + " rows in one frame";
    if (context.screenValid && rows == 3 && firstCaption != "Drapelle")
        return "three rows under '" + firstCaption + "'";
    if (context.screenValid && rows == 6 && firstCaption != "Clothing Menu")
        return "six rows under '" + firstCaption + "'";

    const bool status = matchesAt(names, at, kStatusCalls);
    if (status) at += kStatusCalls.size();

    const std::vector<std::string> deadChecks = {"playerPed", "isEntityDead"};
    const std::vector<std::string> aliveChecks = {"playerPed", "isEntityDead", "playerIndex",
                                                  "isPlayerBeingArrested"};
    const std::vector<std::string>& checks = context.dead ? deadChecks : aliveChecks;
    if (!matchesAt(names, at, checks)) {
        return at < names.size() ? "unexpected " + names[at] + " at call " + std::to_string(at)
                                 : "the frame lacks its checks";
    }
    at += checks.size();
    if (at != names.size()) return "calls after the checks: " + names[at];

    if (context.held && (actions > 0 || rows > 0 || status))
        return "something of the plug-in ran while the character was held";
    return "";
}
