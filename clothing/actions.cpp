#include "clothing/actions.h"

#include <array>
#include <cstring>
#include <string_view>

#include "clothing/slots.h"
#include "host/natives.h"
#include "ui/status_line.h"

namespace {

constexpr std::size_t kLineSize = 160; // the status line's buffer, terminating NUL included

// Copies `text` to `out`, as much as fits before `end`; returns where the
// next character goes.
char* appendText(char* out, const char* end, std::string_view text) {
    const std::size_t room = static_cast<std::size_t>(end - out);
    const std::size_t count = text.size() < room ? text.size() : room;
    std::memcpy(out, text.data(), count);
    return out + count;
}

// A signed decimal, as %d writes it.
char* appendDecimal(char* out, const char* end, std::int32_t value) {
    std::array<char, 10> digits; // 4294967295 has ten; debug builds check each index
    int count = 0;
    std::uint32_t rest = static_cast<std::uint32_t>(value);
    if (value < 0) {
        out = appendText(out, end, "-");
        rest = 0u - rest;
    }
    do {
        digits[count++] = static_cast<char>('0' + rest % 10u);
        rest /= 10u;
    } while (rest != 0);
    while (count > 0) out = appendText(out, end, {&digits[--count], 1});
    return out;
}

// Writes `format` with its %s replaced by `text` and each %d by the next of
// `numbers`, cut, as snprintf cuts, to the buffer: the C runtime's formatter
// would be the players' DLL's one import from it.
void formatLine(char (&line)[kLineSize], std::string_view format, std::string_view text,
                const std::int32_t (&numbers)[4]) {
    const char* const end = line + kLineSize - 1; // the last byte is the NUL's
    char* out = line;
    int next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out = appendText(out, end, format.substr(i, 1));
        } else if (format[++i] == 's') {
            out = appendText(out, end, text);
        } else {
            out = appendDecimal(out, end, numbers[next++]);
        }
    }
    *out = '\0';
}

} // namespace

void showSlotData(std::int32_t ped, InlineString slotName) {
    resolveSlotId(slotName);
    const std::int32_t id = currentSlotId;
    const std::int32_t drawable = pedDrawable(ped, id);
    const std::int32_t texture = pedTexture(ped, id);
    const std::int32_t drawableCount = pedDrawableCount(ped, id);
    const std::int32_t textureCount = pedTextureCount(ped, id, drawable);

    char text[kLineSize];
    formatLine(text, " [%s]: %d,(%d),%d,(%d)", slotName,
               {drawable, drawableCount, texture, textureCount});
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
    currentSlotName = InlineString(slotNames[slot == kSlotCount - 1 ? 0 : slot + 1]);
    const std::int32_t ped = playerPed();
    showSlotData(ped, currentSlotName);
}

void restoreDefaultLook(std::int32_t ped) { setPedDefaultVariation(ped); }
