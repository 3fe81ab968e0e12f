// The size of a terminal, for what the tool draws to fit one (help text, the progress bar, Life's
// frames).
#pragma once

#include <sys/ioctl.h>

#include <optional>

namespace quon_host {

struct TerminalSize {
    int columns = 0, rows = 0;
};

// The size of the terminal on `descriptor`; none when it is no terminal or tells no size.
inline std::optional<TerminalSize> TerminalSizeOf(int descriptor) {
    winsize size{};
    if (::ioctl(descriptor, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0)
        return std::nullopt;
    return TerminalSize{size.ws_col, size.ws_row};
}

}  // namespace quon_host
