#include "simhost/screen.h"

#include <algorithm>

namespace sim {

// The status line is the one centred text; the title the one in font 1; a
// highlighted row is drawn in black.
Screen readScreen(const Frame& frame) {
    Screen screen;
    std::vector<const TextItem*> rows;
    for (const TextItem& text : frame.texts) {
        if (text.centred) {
            screen.status = text.text;
            screen.hasStatus = true;
        } else if (text.font == 1) {
            screen.title = text.text;
        } else {
            rows.push_back(&text);
        }
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const TextItem* a, const TextItem* b) { return a->y < b->y; });
    for (const TextItem* row : rows) {
        if (row->colour == Rgba{0, 0, 0, 255})
            screen.highlighted = static_cast<int>(screen.rows.size());
        screen.rows.push_back(row->text);
    }
    return screen;
}

std::string screenLine(const Frame& frame) {
    const Screen screen = readScreen(frame);
    std::string line = screen.title.empty() ? "" : screen.title + ":";
    for (std::size_t i = 0; i < screen.rows.size(); ++i) {
        const bool highlighted = static_cast<int>(i) == screen.highlighted;
        line += highlighted ? " [" + screen.rows[i] + "]" : " " + screen.rows[i];
    }
    if (screen.hasStatus) line += " |" + screen.status;
    return line;
}

std::string screenReport(const Frame& frame) {
    const Screen screen = readScreen(frame);
    return "screen: " + screenLine(frame) + "\nmenu: " +
           (screen.title.empty() ? std::string("none")
                                 : "row " + std::to_string(screen.highlighted) + " highlighted");
}

} // namespace sim
