// A one-line progress bar with the time left, redrawn in place ("\r") on a terminal. It is kept
// narrower than the terminal, whose width it asks at each redraw (a line that wraps would leave a
// line behind at each update), and it is erased at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace quon_host {

class ProgressBar {
public:
    // `descriptor` is the terminal that `out` writes to.
    ProgressBar(std::ostream& out, int descriptor, std::string label, std::int64_t total)
        : out(out), descriptor(descriptor), label(std::move(label)), total(total) {}

    void Show(std::int64_t done);  // redraws the bar when its text changed
    void Clear();                  // erases the bar's line

private:
    std::ostream& out;
    int descriptor;
    std::string label;
    std::int64_t total;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::string shown;  // the last line drawn
};

}  // namespace quon_host
