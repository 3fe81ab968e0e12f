#include "quon-host/picture/PngWriter.h"

#include <png.h>

#include <stdexcept>

namespace quon_host {

void WritePng(std::FILE* file, const RgbImage& image, const std::string& name) {
    // libpng's simplified interface: it reports errors in the image record instead of longjmp.
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    const bool written =
        png_image_write_to_stdio(&png, file, 0, image.pixels.data(), image.width * 3, nullptr) != 0 &&
        std::fflush(file) == 0;
    const std::string message = png.message;
    png_image_free(&png);
    if (!written)
        throw std::runtime_error("cannot write " + name + ": " +
                                 (message.empty() ? "write failed" : message));
}

}  // namespace quon_host
