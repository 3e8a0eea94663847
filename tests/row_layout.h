// The floats a menu row hands the host, worked out from the layout rules
// with each sum grouped as written, and the groupings a slip could give.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "simhost/game.h"
#include "simhost/simhost.h"

inline std::uint32_t bitsOf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The floats a row hands the host: caption x and y (drawn and counted), box
// centre x and y, width and height.
inline std::vector<std::uint32_t> handedFloats(const sim::Frame& frame) {
    std::vector<std::uint32_t> bits;
    for (const sim::NativeCall& call : frame.calls) {
        const std::string name = sim::nativeName(call.hash);
        const int count = name == "drawRectangle"                                  ? 4
                          : name == "drawPendingText" || name == "finishLineCount" ? 2
                                                                                   : 0;
        for (int i = 0; i < count; ++i) bits.push_back(static_cast<std::uint32_t>(call.args[i]));
    }
    return bits;
}

// The layout's sums, each grouped as written, and the groupings a slip could
// give instead; all equal in exact arithmetic.
struct Layout {
    float width, inset, top, left; // pixels
    int screenWidth, screenHeight, lines;
    float scale;
};
enum Grouping {
    kAsWritten,
    kDivided,
    kCaptionYa,
    kCaptionYb,
    kCaptionYc,
    kCaptionYd,
    kBoxHeight,
    kBoxCentre,
    kGroupings
};

inline std::vector<std::uint32_t> layoutFloats(const Layout& l, Grouping g) {
    const float fw = static_cast<float>(l.screenWidth), fh = static_cast<float>(l.screenHeight);
    const float rw = 1.0f / fw, rh = 1.0f / fh;
    const bool divided = g == kDivided;
    const float w = divided ? l.width / fw : rw * l.width;
    const float t = divided ? l.top / fh : rh * l.top;
    const float x = divided ? l.left / fw : rw * l.left;
    const float p = divided ? l.inset / fh : rh * l.inset;
    const float o = 0.00278f, r = 0.005f;
    const float y = g == kCaptionYa   ? (t + (o + p)) - r
                    : g == kCaptionYb ? (t + o) + (p - r)
                    : g == kCaptionYc ? t + ((o + p) - r)
                    : g == kCaptionYd ? t + (o + (p - r))
                                      : ((t + o) + p) - r;
    const float c = l.scale * 0.07f, n = static_cast<float>(l.lines);
    const float h = g == kBoxHeight ? (n * c) + ((p * 2.0f) + r) : ((n * c) + (p * 2.0f)) + r;
    const float cy = g == kBoxCentre ? ((h * 0.5f) + t) + o : (h * 0.5f) + (t + o);
    return {bitsOf(x),        bitsOf(y),  bitsOf(x), bitsOf(y),
            bitsOf(w * 0.5f), bitsOf(cy), bitsOf(w), bitsOf(h)};
}
