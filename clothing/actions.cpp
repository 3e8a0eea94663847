#include "clothing/actions.h"

#include <cstdio>

#include "clothing/slots.h"
#include "host/natives.h"
#include "ui/status_line.h"

void showSlotData(std::int32_t ped, InlineString slotName) {
    resolveSlotId(slotName);
    const std::int32_t id = currentSlotId;
    const std::int32_t drawable = pedDrawable(ped, id);
    const std::int32_t texture = pedTexture(ped, id);
    const std::int32_t drawableCount = pedDrawableCount(ped, id);
    const std::int32_t textureCount = pedTextureCount(ped, id, drawable);

    char text[160] = {};
#ifdef _WIN32
    // The C runtime's own formatter: mingw-w64's C99 one would bring its 23 KB
    // printf engine into the DLL for this one line. Its bound stops a byte
    // short, so the zeroed last byte always ends the text.
    _snprintf(text, sizeof text - 1, " [%s]: %d,(%d),%d,(%d)", slotName.c_str(), drawable,
              drawableCount, texture, textureCount);
#else
    // The slot table's names make lines of at most 67 characters; an optimising
    // g++ sees a name that could hold 159 and would warn of a cut that cannot
    // happen.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-truncation"
#endif
    std::snprintf(text, sizeof text, " [%s]: %d,(%d),%d,(%d)", slotName.c_str(), drawable,
                  drawableCount, texture, textureCount);
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif
    showStatus(text);
}

void nextDrawable(std::int32_t ped, InlineString slotName) {
    resolveSlotId(slotName);
    const std::int32_t id = currentSlotId;
    const std::int32_t d = pedDrawable(ped, id);
    const std::int32_t n = pedDrawableCount(ped, id);
    if (d >= n) return;
    // d < n, so d + 1 cannot overflow.
    const std::int32_t next = d + 1 < n ? d + 1 : 0;
    callNative5(kSetPedVariationNative, ped, id, next, 0);
}

void nextTexture(std::int32_t ped, InlineString slotName) {
    resolveSlotId(slotName);
    const std::int32_t id = currentSlotId;
    const std::int32_t d = pedDrawable(ped, id);
    const std::int32_t t = pedTexture(ped, id);
    const std::int32_t m = pedTextureCount(ped, id, d);
    if (t >= m) return;
    const std::int32_t next = t + 1 < m ? t + 1 : 0;
    callNative5(kSetPedVariationNative, ped, id, d, next);
}

void nextSlot() {
    // The names are distinct, so the match the scan keeps is the only one.
    const int slot = findSlot(currentSlotName);
    if (slot < 0) return;
    currentSlotName = slotNames[slot == kSlotCount - 1 ? 0 : slot + 1];
    const std::int32_t ped = playerPed();
    showSlotData(ped, currentSlotName);
}

void restoreDefaultLook(std::int32_t ped) { setPedDefaultVariation(ped); }
