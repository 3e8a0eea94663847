#include "simhost/picture/gif.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <gif_lib.h>

namespace picture {
namespace {

// Loops forever, as a page showing it expects.
bool putLoopExtension(GifFileType* gif) {
    static const GifByteType application[] = "NETSCAPE2.0";
    static const GifByteType loop[] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, 11, application) == GIF_OK &&
           EGifPutExtensionBlock(gif, 3, loop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool putFrame(GifFileType* gif, const Image& image, int delayMs) {
    // Three colour planes, as GifQuantizeBuffer takes them.
    const std::size_t pixels = image.rgba.size() / 4;
    std::vector<GifByteType> red(pixels), green(pixels), blue(pixels), indices(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        red[i] = image.rgba[4 * i];
        green[i] = image.rgba[4 * i + 1];
        blue[i] = image.rgba[4 * i + 2];
    }
    int colours = 256;
    GifColorType palette[256];
    if (GifQuantizeBuffer(static_cast<unsigned>(image.width), static_cast<unsigned>(image.height),
                          &colours, red.data(), green.data(), blue.data(), indices.data(),
                          palette) != GIF_OK)
        return false;
    ColorMapObject* map = GifMakeMapObject(256, palette);
    GraphicsControlBlock timing{DISPOSE_DO_NOT, false, delayMs / 10, NO_TRANSPARENT_COLOR};
    GifByteType extension[4];
    EGifGCBToExtension(&timing, extension);
    bool ok = map && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, map) == GIF_OK;
    for (int y = 0; ok && y < image.height; ++y)
        ok = EGifPutLine(gif, &indices[static_cast<std::size_t>(y) * image.width], image.width) ==
             GIF_OK;
    GifFreeMapObject(map);
    return ok;
}

} // namespace

bool writeGif(const std::vector<Image>& images, int delayMs, const std::string& path,
              std::string& error) {
    if (images.empty()) {
        error = "no frames for " + path;
        return false;
    }
    int status = 0;
    // Readable by others, as every picture written (giflib's own open makes it private).
    const int handle = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int openError = errno;
    GifFileType* gif = handle < 0 ? nullptr : EGifOpenFileHandle(handle, &status);
    if (!gif) {
        if (handle >= 0) close(handle);
        error = "cannot write " + path + ": " +
                (handle < 0 ? std::strerror(openError) : GifErrorString(status));
        return false;
    }
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, images[0].width, images[0].height, 8, 0, nullptr) == GIF_OK &&
              putLoopExtension(gif);
    for (std::size_t i = 0; ok && i < images.size(); ++i)
        ok = putFrame(gif, images[i], i + 1 == images.size() ? 2 * delayMs : delayMs);
    if (!ok) {
        error = "cannot write " + path + ": " + GifErrorString(gif->Error);
        EGifCloseFile(gif, nullptr);
        return false;
    }
    if (EGifCloseFile(gif, &status) != GIF_OK) {
        error = "cannot finish " + path + ": " + GifErrorString(status);
        return false;
    }
    return true;
}

} // namespace picture
