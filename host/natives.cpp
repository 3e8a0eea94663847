#include "host/natives.h"

#include "host/native_call.h"

std::int32_t playerPed() { return invokeNativeInt(0xD80958FC74E988A6); }

bool isEntityDead(std::int32_t entity) { return invokeNative(0x5F9532F3B5CC2551, entity) != 0; }

std::int32_t playerIndex() { return invokeNativeInt(0x4F8644AF03D0E0D6); }

bool isPlayerBeingArrested(std::int32_t player, bool atArresting) {
    return invokeNative(0x388A47C51ABDAC8E, player, atArresting) != 0;
}

void screenResolution(std::int32_t* width, std::int32_t* height) {
    invokeNative(0x888D57E407E63624, width, height);
}

void setTextFont(std::int32_t font) { invokeNative(0x66E0276CC5F6B9DA, font); }

void setTextScale(float firstScale, float scale) {
    invokeNative(0x07C837F9A01C34C9, firstScale, scale);
}

void setTextColour(std::int32_t r, std::int32_t g, std::int32_t b, std::int32_t a) {
    invokeNative(0xBE6B23FFA53FB442, r, g, b, a);
}

void setTextWrap(float left, float right) { invokeNative(0x63145D9C883A1A70, left, right); }

void setTextCentred(bool centred) { invokeNative(0xC02F4DBFB51D988B, centred); }

void setTextDropShadow(std::int32_t distance, std::int32_t r, std::int32_t g, std::int32_t b,
                       std::int32_t a) {
    invokeNative(0x465C84BC39F1C351, distance, r, g, b, a);
}

void setTextEdge(std::int32_t kind, std::int32_t alpha) {
    invokeNative(0x441603240D202FA6, kind, 0, 0, 0, alpha);
}

void beginTextDisplay(const char* label) { invokeNative(0x25FBB336DF1804CB, label); }

void addPlainText(const char* text) { invokeNative(0x6C188BE134E074AA, text); }

void drawPendingText(float x, float y) { invokeNative(0xCD015E5BB0D96A57, x, y); }

void beginTextLineCount(const char* label) { invokeNative(0x521FB041D93DD0E4, label); }

std::int32_t finishLineCount(float x, float y) { return invokeNativeInt(0x9040DFB09BE75706, x, y); }

float characterHeight(float scale, std::int32_t font) {
    return invokeNativeFloat(0xDB88A37483346780, scale, font);
}

void drawRectangle(float centreX, float centreY, float width, float height, std::int32_t r,
                   std::int32_t g, std::int32_t b, std::int32_t a) {
    invokeNative(0x3A618A217E5154F0, centreX, centreY, width, height, r, g, b, a);
}

std::int32_t pedDrawable(std::int32_t ped, std::int32_t component) {
    return invokeNativeInt(0x67F3780DD425D4FC, ped, component);
}

std::int32_t pedTexture(std::int32_t ped, std::int32_t component) {
    return invokeNativeInt(0x04A355E041E004E6, ped, component);
}

std::int32_t pedDrawableCount(std::int32_t ped, std::int32_t component) {
    return invokeNativeInt(0x27561561732A7842, ped, component);
}

std::int32_t pedTextureCount(std::int32_t ped, std::int32_t component, std::int32_t drawable) {
    return invokeNativeInt(0x8F7156A3142A6BAD, ped, component, drawable);
}

void setPedDefaultVariation(std::int32_t ped) { invokeNative(0x45EEE61580806D63, ped); }

std::int32_t callNative5(UINT64 hash, std::int32_t a, std::int32_t b, std::int32_t c,
                         std::int32_t d) {
    return invokeNativeInt(hash, a, b, c, d, 0);
}
