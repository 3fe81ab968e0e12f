// Colours for escape counts: a named gradient running from the first possible escape to the last
// one; points that never escape are black.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quon_host {

struct Rgb {
    std::uint8_t r, g, b;
};

class Palette {
public:
    // The names Named accepts, in the order the help text lists them.
    static const std::vector<std::string>& Names();
    // Throws std::invalid_argument for a name not in Names().
    static Palette Named(std::string_view name);

    // The colour of every count from 0 (never escaped: black) to maxIterations. Counts are spread
    // logarithmically, since most points of a picture escape within a few steps.
    std::vector<Rgb> Table(std::int64_t maxIterations) const;

private:
    explicit Palette(std::vector<Rgb> stops) : stops(std::move(stops)) {}
    Rgb At(double t) const;  // the gradient at t in [0, 1]

    std::vector<Rgb> stops;  // evenly spaced along the gradient
};

}  // namespace quon_host
