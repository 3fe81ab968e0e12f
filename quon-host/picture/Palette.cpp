#include "quon-host/picture/Palette.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace quon_host {

namespace {

struct NamedStops {
    const char* name;
    std::vector<Rgb> stops;
};

const std::vector<NamedStops>& AllPalettes() {
    static const std::vector<NamedStops> palettes = {
        {"fire", {{32, 0, 0}, {160, 16, 0}, {240, 96, 0}, {255, 200, 40}, {255, 255, 220}}},
        {"ocean", {{0, 8, 40}, {0, 48, 120}, {0, 140, 200}, {120, 220, 240}, {240, 255, 255}}},
        {"gray", {{24, 24, 24}, {255, 255, 255}}},
        {"rainbow", {{120, 0, 160}, {0, 60, 255}, {0, 200, 120}, {240, 230, 0}, {255, 60, 0}}},
    };
    return palettes;
}

}  // namespace

const std::vector<std::string>& Palette::Names() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const NamedStops& palette : AllPalettes()) all.emplace_back(palette.name);
        return all;
    }();
    return names;
}

Palette Palette::Named(std::string_view name) {
    for (const NamedStops& palette : AllPalettes())
        if (name == palette.name) return Palette(palette.stops);
    throw std::invalid_argument("unknown palette '" + std::string(name) + "'");
}

Rgb Palette::At(double t) const {
    const double position = std::clamp(t, 0.0, 1.0) * static_cast<double>(stops.size() - 1);
    const auto low = std::min(static_cast<std::size_t>(position), stops.size() - 2);
    const double f = position - static_cast<double>(low);
    auto mix = [f](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(std::lround(a + (b - a) * f));
    };
    const Rgb& a = stops[low];
    const Rgb& b = stops[low + 1];
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

std::vector<Rgb> Palette::Table(std::int64_t maxIterations) const {
    std::vector<Rgb> table(static_cast<std::size_t>(maxIterations) + 1);
    table[0] = {0, 0, 0};
    const double last = std::log(static_cast<double>(std::max<std::int64_t>(maxIterations, 2)));
    for (std::int64_t count = 1; count <= maxIterations; ++count)
        table[static_cast<std::size_t>(count)] = At(std::log(static_cast<double>(count)) / last);
    return table;
}

}  // namespace quon_host
