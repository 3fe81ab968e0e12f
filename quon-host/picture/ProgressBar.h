// A one-line progress bar redrawn in place ("\r") on a terminal.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace quon_host {

class ProgressBar {
public:
    ProgressBar(std::ostream& out, std::string label, std::int64_t total)
        : out(out), label(std::move(label)), total(total) {}

    void Show(std::int64_t done);  // redraws the bar when its text changed
    void Finish();                 // a full bar, then the line ends

private:
    std::ostream& out;
    std::string label;
    std::int64_t total;
    std::string shown;  // the last line drawn
};

}  // namespace quon_host
