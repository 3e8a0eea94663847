// The frames the plug-in can produce, as a grammar over native names: a
// clothing action's reads and writes, a whole menu (title and every row, 21
// calls each), the status line (10 calls), and the per-frame checks last.
#pragma once

#include <string>

#include "simhost/simhost.h"

struct FrameContext {
    bool screenValid = true; // the reported width and height are both above 0
    bool held = false;       // dead or arrested during this frame and the one before
    bool dead = false;       // dead during this frame
};

// Empty when the frame is one the plug-in can produce; otherwise what is wrong.
std::string checkFrameShape(const sim::Frame& frame, const FrameContext& context);
