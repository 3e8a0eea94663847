// Key moments as an animated GIF, through giflib.
#pragma once

#include <string>
#include <vector>

#include "simhost/picture/render.h"

namespace picture {

// Writes the images as a looping animation, each shown for `delayMs` (the
// last for twice as long), made `shrink` times smaller and reduced to 256
// colours each; false with the reason in `error` on failure.
bool writeGif(const std::vector<Image>& images, int delayMs, int shrink, const std::string& path,
              std::string& error);

} // namespace picture
