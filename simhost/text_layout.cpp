#include "simhost/text_layout.h"

#include <algorithm>

#include "simhost/game.h"

namespace sim {

float characterHeightPerScale(std::int32_t font) {
    return game().characterHeightPerScale * (font == 1 ? kTitleFontHeight : 1.0f);
}

float lineHeightPixels(float scale, std::int32_t font, int screenHeight) {
    return scale * characterHeightPerScale(font) * static_cast<float>(screenHeight);
}

bool isPaintableLineHeight(float lineHeight) { return lineHeight >= 1.0f && lineHeight <= 4096.0f; }

float roomFor(const TextItem& text, int screenWidth) {
    const float width = static_cast<float>(screenWidth);
    if (text.centred) return (text.wrapRight - text.wrapLeft) * width;
    return (text.wrapRight - std::max(text.wrapLeft, text.x)) * width;
}

std::vector<std::string> breakLines(const std::string& text, float room,
                                    const std::function<int(const std::string&)>& measure) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::string line, word;
    auto place = [&](const std::string& next) {
        const std::string joined = line.empty() ? next : line + " " + next;
        if (!line.empty() && room > 0 && static_cast<float>(measure(joined)) > room) {
            lines.push_back(line);
            line = next;
        } else {
            line = joined;
        }
    };
    for (char c : text) {
        if (c == ' ') {
            place(word);
            word.clear();
        } else {
            word += c;
        }
    }
    place(word);
    lines.push_back(line);
    return lines;
}

} // namespace sim
