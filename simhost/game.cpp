#include "simhost/game.h"

#include "simhost/text_layout.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <iterator>
#include <string>

namespace sim {
namespace {

Game theGame;        // the state of the simulated world
Frame buildingFrame; // what the plug-in has drawn and called since the frame began

// The text style the next text will use; the game forgets it after each text.
struct TextState {
    TextItem style;
    bool pending = false; // a text was begun and not yet drawn or counted
};
TextState textState;
LineCounter lineCounter = nullptr; // the painter's own layout, when one has given it

std::int32_t asInt(UINT64 slot) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(slot));
}
float asFloat(UINT64 slot) { return std::bit_cast<float>(static_cast<std::uint32_t>(slot)); }
UINT64 fromFloat(float value) { return std::bit_cast<std::uint32_t>(value); }
UINT64 fromInt(std::int32_t value) { return static_cast<std::uint32_t>(value); }
const char* asText(UINT64 slot) {
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(slot));
}
std::int32_t* asIntPointer(UINT64 slot) {
    return reinterpret_cast<std::int32_t*>(static_cast<std::uintptr_t>(slot));
}

// Keeps the text's storage, with room for the longest text, so that a steady
// frame allocates nothing here.
void resetTextState() {
    std::string storage = std::move(textState.style.text);
    storage.clear();
    storage.reserve(256);
    textState.style = TextItem{};
    textState.style.font = kForgottenFont;
    textState.style.text = std::move(storage);
    textState.pending = false;
}

// The painter's layout or the faces', so that the count is the lines drawn;
// otherwise characters half as wide as they are tall filling the wrap width.
std::int32_t countLines(const TextItem& text) {
    if (theGame.forcedLineCount) return *theGame.forcedLineCount;
    if (lineCounter) return lineCounter(text, theGame.screenWidth, theGame.screenHeight);
#ifdef DRAPELLE_HAVE_FONTS
    if (haveFonts()) return layoutLineCount(text, theGame.screenWidth, theGame.screenHeight);
#endif
    if (text.text.empty()) return 0;
    const float aspect =
        theGame.screenWidth > 0 && theGame.screenHeight > 0
            ? static_cast<float>(theGame.screenHeight) / static_cast<float>(theGame.screenWidth)
            : 1.0f;
    const float charWidth = text.scale * characterHeightPerScale(text.font) * 0.5f * aspect;
    const float room = roomFor(text, 1); // as a screen fraction
    if (!(room > 0.0f) || !(charWidth > 0.0f)) return 1;
    const float lines = std::ceil(static_cast<float>(text.text.size()) * charWidth / room);
    return lines < 1.0f ? 1 : lines > 1000.0f ? 1000 : static_cast<std::int32_t>(lines);
}

// The catalogue's default for a component, and nothing for one it lacks.
Variation defaultOf(std::int32_t component) {
    const auto known = theGame.catalogue.find(component);
    return known == theGame.catalogue.end() ? Variation{} : known->second.defaults;
}

UINT64 runPlayerPed(const UINT64*) {
    if (!theGame.freshPedEachCall) return fromInt(theGame.playerPed);
    // Handles of both signs, all naming the player's character.
    static const std::int32_t kSteps[] = {0x111, -0x7000, 0x2345, -0x31};
    theGame.latestPedHandle += kSteps[theGame.pedHandlesGiven++ % 4];
    if (theGame.latestPedHandle == theGame.playerPed) theGame.latestPedHandle += 1;
    return fromInt(theGame.latestPedHandle);
}
// The character a ped argument names; in strict mode only the latest is the player's.
std::int32_t pedOf(UINT64 slot, const char* native) {
    const std::int32_t handle = asInt(slot);
    if (!theGame.freshPedEachCall) return handle;
    if (handle == theGame.latestPedHandle) return theGame.playerPed;
    reportProtocolError(std::string(native) + ": stale ped handle " + std::to_string(handle));
    return handle;
}
UINT64 runIsEntityDead(const UINT64* a) {
    return pedOf(a[0], "isEntityDead") == theGame.playerPed && theGame.dead ? 1 : 0;
}
UINT64 runPlayerIndex(const UINT64*) { return fromInt(theGame.playerIndex); }
UINT64 runIsPlayerBeingArrested(const UINT64* a) {
    return asInt(a[0]) == theGame.playerIndex && theGame.arrested ? 1 : 0;
}

UINT64 runScreenResolution(const UINT64* a) {
    *asIntPointer(a[0]) = theGame.screenWidth;
    *asIntPointer(a[1]) = theGame.screenHeight;
    return 0;
}
// A style call: the game keeps its arguments for the next text.
UINT64 styled(TextStyleCall call) {
    textState.style.styleGiven |= call;
    return 0;
}
UINT64 runSetTextFont(const UINT64* a) {
    textState.style.font = asInt(a[0]);
    return styled(kStyleFont);
}
UINT64 runSetTextScale(const UINT64* a) {
    textState.style.firstScale = asFloat(a[0]);
    textState.style.scale = asFloat(a[1]);
    return styled(kStyleScale);
}
UINT64 runSetTextColour(const UINT64* a) {
    textState.style.colour = {asInt(a[0]), asInt(a[1]), asInt(a[2]), asInt(a[3])};
    return styled(kStyleColour);
}
UINT64 runSetTextWrap(const UINT64* a) {
    textState.style.wrapLeft = asFloat(a[0]);
    textState.style.wrapRight = asFloat(a[1]);
    return styled(kStyleWrap);
}
UINT64 runSetTextCentred(const UINT64* a) {
    textState.style.centred = asInt(a[0]) != 0;
    return styled(kStyleCentred);
}
UINT64 runSetTextDropShadow(const UINT64* a) {
    for (int i = 0; i < 5; ++i) textState.style.shadow[i] = asInt(a[i]);
    return styled(kStyleShadow);
}
UINT64 runSetTextEdge(const UINT64* a) {
    for (int i = 0; i < 5; ++i) textState.style.edge[i] = asInt(a[i]);
    return styled(kStyleEdge);
}
UINT64 runBeginText(const UINT64*) {
    textState.style.text.clear();
    textState.pending = true;
    return 0;
}
UINT64 runAddPlainText(const UINT64* a) {
    if (const char* text = asText(a[0])) textState.style.text += text;
    return 0;
}
UINT64 runDrawPendingText(const UINT64* a) {
    TextItem& item = textState.style;
    item.x = asFloat(a[0]);
    item.y = asFloat(a[1]);
    item.lines = countLines(item);
    if (textState.pending && isRecording()) buildingFrame.texts.push_back(item);
    resetTextState();
    return 0;
}
UINT64 runFinishLineCount(const UINT64* a) {
    TextItem& item = textState.style;
    item.x = asFloat(a[0]);
    item.y = asFloat(a[1]);
    const std::int32_t lines = textState.pending ? countLines(item) : 0;
    resetTextState();
    return fromInt(lines);
}
UINT64 runCharacterHeight(const UINT64* a) {
    return fromFloat(asFloat(a[0]) * characterHeightPerScale(asInt(a[1])));
}
UINT64 runDrawRectangle(const UINT64* a) {
    if (!isRecording()) return 0;
    buildingFrame.rects.push_back({asFloat(a[0]),
                                   asFloat(a[1]),
                                   asFloat(a[2]),
                                   asFloat(a[3]),
                                   {asInt(a[4]), asInt(a[5]), asInt(a[6]), asInt(a[7])}});
    return 0;
}

UINT64 runPedDrawable(const UINT64* a) {
    theGame.lastComponentAsked = asInt(a[1]);
    return fromInt(variationOf(pedOf(a[0], "pedDrawable"), asInt(a[1])).drawable);
}
UINT64 runPedTexture(const UINT64* a) {
    theGame.lastComponentAsked = asInt(a[1]);
    return fromInt(variationOf(pedOf(a[0], "pedTexture"), asInt(a[1])).texture);
}
UINT64 runPedDrawableCount(const UINT64* a) {
    pedOf(a[0], "pedDrawableCount");
    const auto found = theGame.catalogue.find(asInt(a[1]));
    return fromInt(found == theGame.catalogue.end() ? 0 : found->second.drawableCount);
}
UINT64 runPedTextureCount(const UINT64* a) {
    pedOf(a[0], "pedTextureCount");
    const auto known = theGame.catalogue.find(asInt(a[1]));
    if (known == theGame.catalogue.end()) return 0;
    const auto& counts = known->second.textureCounts;
    // A negative drawable reads as a large one, outside the list like it.
    const auto drawable = static_cast<std::size_t>(static_cast<std::uint32_t>(a[2]));
    return fromInt(drawable < counts.size() ? counts[drawable] : known->second.otherTextureCount);
}
UINT64 runSetPedVariation(const UINT64* a) {
    setVariation(pedOf(a[0], "setPedVariation"), asInt(a[1]),
                 {asInt(a[2]), asInt(a[3]), asInt(a[4])});
    return 0;
}
UINT64 runSetPedDefaultVariation(const UINT64* a) {
    const std::int32_t ped = pedOf(a[0], "setPedDefaultVariation");
    // Each component the ped had set goes back to the catalogue's default, in
    // place: a steady game allocates nothing.
    for (auto& [key, variation] : theGame.variations) {
        if (key.first == ped) variation = defaultOf(key.second);
    }
    return 0;
}

const NativeInfo kNatives[] = {
    {0xD80958FC74E988A6, "playerPed", "", runPlayerPed},
    {0x5F9532F3B5CC2551, "isEntityDead", "i", runIsEntityDead},
    {0x4F8644AF03D0E0D6, "playerIndex", "", runPlayerIndex},
    {0x388A47C51ABDAC8E, "isPlayerBeingArrested", "ib", runIsPlayerBeingArrested},
    {0x888D57E407E63624, "screenResolution", "pp", runScreenResolution},
    {0x66E0276CC5F6B9DA, "setTextFont", "i", runSetTextFont},
    {0x07C837F9A01C34C9, "setTextScale", "ff", runSetTextScale},
    {0xBE6B23FFA53FB442, "setTextColour", "iiii", runSetTextColour},
    {0x63145D9C883A1A70, "setTextWrap", "ff", runSetTextWrap},
    {0xC02F4DBFB51D988B, "setTextCentred", "b", runSetTextCentred},
    {0x465C84BC39F1C351, "setTextDropShadow", "iiiii", runSetTextDropShadow},
    {0x441603240D202FA6, "setTextEdge", "iiiii", runSetTextEdge},
    {0x25FBB336DF1804CB, "beginTextDisplay", "s", runBeginText},
    {0x6C188BE134E074AA, "addPlainText", "s", runAddPlainText},
    {0xCD015E5BB0D96A57, "drawPendingText", "ff", runDrawPendingText},
    {0x521FB041D93DD0E4, "beginTextLineCount", "s", runBeginText},
    {0x9040DFB09BE75706, "finishLineCount", "ff", runFinishLineCount},
    {0xDB88A37483346780, "characterHeight", "fi", runCharacterHeight},
    {0x3A618A217E5154F0, "drawRectangle", "ffffiiii", runDrawRectangle},
    {0x67F3780DD425D4FC, "pedDrawable", "ii", runPedDrawable},
    {0x04A355E041E004E6, "pedTexture", "ii", runPedTexture},
    {0x27561561732A7842, "pedDrawableCount", "ii", runPedDrawableCount},
    {0x8F7156A3142A6BAD, "pedTextureCount", "iii", runPedTextureCount},
    {0x262B14F48D29DE80, "setPedVariation", "iiiii", runSetPedVariation},
    {0x45EEE61580806D63, "setPedDefaultVariation", "i", runSetPedDefaultVariation},
};

} // namespace

Game& game() { return theGame; }

const char* componentName(std::int32_t id) {
    static const char* const names[12] = {"Face",        "Head",  "Hair",     "Torso",
                                          "Legs",        "Hands", "Feet",     "Eyes",
                                          "Accessories", "Tasks", "Textures", "Torso2"};
    return id >= 0 && id < 12 ? names[id] : "component";
}

void resetGame() {
    theGame = Game{};
    // A plausible wardrobe: a few components with many drawables, some with one.
    const std::int32_t drawableCounts[12] = {46, 3, 38, 16, 13, 5, 8, 2, 15, 1, 1, 15};
    for (std::int32_t id = 0; id < 12; ++id) {
        Component& component = theGame.catalogue[id];
        component.drawableCount = drawableCounts[id];
        for (std::int32_t d = 0; d < drawableCounts[id]; ++d) {
            component.textureCounts.push_back(1 + (d + id) % 4);
        }
    }
    resetTextState();
}

Variation variationOf(std::int32_t ped, std::int32_t component) {
    const auto set = theGame.variations.find({ped, component});
    return set != theGame.variations.end() ? set->second : defaultOf(component);
}

void setVariation(std::int32_t ped, std::int32_t component, Variation variation) {
    theGame.variations[{ped, component}] = variation;
}

void setLineCounter(LineCounter counter) { lineCounter = counter; }

Frame& frameInProgress() { return buildingFrame; }

void beginFrame() {
    buildingFrame.tick = now();
    buildingFrame.width = theGame.screenWidth;
    buildingFrame.height = theGame.screenHeight;
    buildingFrame.calls.clear();
    buildingFrame.texts.clear();
    buildingFrame.rects.clear();
}

const NativeInfo* findNative(UINT64 hash) {
    const auto found = std::find_if(std::begin(kNatives), std::end(kNatives),
                                    [hash](const NativeInfo& info) { return info.hash == hash; });
    return found == std::end(kNatives) ? nullptr : found;
}

} // namespace sim
