#include "quon-host/picture/PngWriter.h"

#include <png.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace quon_host {

void WritePng(std::FILE* file, const RgbImage& image, const std::string& name) {
    // libpng's simplified interface: it reports errors in the image record instead of longjmp.
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    errno = 0;
    const bool written =
        png_image_write_to_stdio(&png, file, 0, image.pixels.data(), image.width * 3, nullptr) != 0 &&
        std::fflush(file) == 0;
    const int error = errno;
    const std::string message = png.message;
    png_image_free(&png);
    // A failed write is the system's error ("No space left on device"); libpng's own texts
    // ("Write Error") say no more than that it failed.
    if (!written)
        throw std::runtime_error("cannot write " + name + ": " +
                                 (error != 0            ? std::strerror(error)
                                  : !message.empty()    ? message
                                                        : std::string("the picture could not be written")));
}

}  // namespace quon_host
