#include "clothing/actions.h"

#include <array>
#include <string_view>

#include "clothing/slots.h"
#include "host/natives.h"
#include "ui/status_line.h"

namespace {

constexpr std::size_t kLineSize = 160; // the status line's buffer, terminating NUL included

// A std::array so that debug builds check every byte written against the buffer.
using Line = std::array<char, kLineSize>;

// Copies `text` into `line` from `at`, as much as fits before the NUL's byte;
// returns where the next character goes.
std::size_t appendText(Line& line, std::size_t at, std::string_view text) {
    for (std::size_t i = 0; i < text.size() && at < kLineSize - 1; ++i) line[at++] = text[i];
    return at;
}

// A signed decimal, as %d writes it.
std::size_t appendDecimal(Line& line, std::size_t at, std::int32_t value) {
    std::array<char, 10> digits; // 4294967295 has ten; debug builds check each index
    int count = 0;
    std::uint32_t rest = static_cast<std::uint32_t>(value);
    if (value < 0) {
        at = appendText(line, at, "-");
        rest = 0u - rest;
    }
    do {
        digits[count++] = static_cast<char>('0' + rest % 10u);
        rest /= 10u;
    } while (rest != 0);
    while (count > 0) at = appendText(line, at, {&digits[--count], 1});
    return at;
}

// Writes `format` with its %s replaced by `text` and each %d by the next of
// `numbers`, cut, as snprintf cuts, to the buffer and ended with a NUL: the
// C runtime's formatter would be the players' DLL's one import from it.
void formatLine(Line& line, std::string_view format, std::string_view text,
                const std::int32_t (&numbers)[4]) {
    std::size_t at = 0;
    int next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            at = appendText(line, at, format.substr(i, 1));
        } else if (format[++i] == 's') {
            at = appendText(line, at, text);
        } else {
            at = appendDecimal(line, at, numbers[next++]);
        }
    }
    line[at] = '\0';
}

} // namespace

void showSlotData(std::int32_t ped, InlineString slotName) {
    resolveSlotId(slotName);
    const std::int32_t id = currentSlotId;
    const std::int32_t drawable = pedDrawable(ped, id);
    const std::int32_t texture = pedTexture(ped, id);
    const std::int32_t drawableCount = pedDrawableCount(ped, id);
    const std::int32_t textureCount = pedTextureCount(ped, id, drawable);

    Line text;
    formatLine(text, " [%s]: %d,(%d),%d,(%d)", slotName,
               {drawable, drawableCount, texture, textureCount});
    showStatus(InlineString(text));
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
