// An 8-bit RGB picture and its PNG file, written with libpng.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace quon_host {

struct RgbImage {
    RgbImage(int width, int height)
        : width(width), height(height), pixels(static_cast<std::size_t>(width) * height * 3) {}

    std::uint8_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width * 3; }

    int width, height;
    std::vector<std::uint8_t> pixels;  // rows top to bottom, three bytes per pixel
};

// Writes `image` as a PNG into the open `file` (which stays open); `name` is for messages.
// Throws std::runtime_error with libpng's message when it fails.
void WritePng(std::FILE* file, const RgbImage& image, const std::string& name);

}  // namespace quon_host
