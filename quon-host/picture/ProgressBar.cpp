#include "quon-host/picture/ProgressBar.h"

#include <algorithm>
#include <cstdio>

#include "quon-host/expr/Terminal.h"

namespace quon_host {

namespace {

// "0:07", "12:30", "1:02:03".
std::string Clock(std::int64_t seconds) {
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                      static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    return text;
}

}  // namespace

void ProgressBar::Show(std::int64_t done) {
    const auto terminal = TerminalSizeOf(descriptor);
    const int columns = terminal ? terminal->columns : 80;
    // The last column is left free: a line that fills it wraps on some terminals.
    const std::size_t room = static_cast<std::size_t>(std::max(columns - 1, 1));

    const std::int64_t clamped = std::clamp<std::int64_t>(done, 0, total);
    std::string tail = " " + std::to_string(total > 0 ? clamped * 100 / total : 100) + "%";
    if (clamped > 0 && clamped < total) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        tail += ", " +
                Clock(static_cast<std::int64_t>(elapsed.count() * (total - clamped) / clamped + 0.5)) +
                " left";
    }
    // The bar takes what room the label and the numbers leave, up to 40 columns; under 10 it goes.
    // The numbers are given the room of " 42%, 1:05 left" at least, so that the bar keeps its length.
    const std::size_t fixed = label.size() + 3 + std::max<std::size_t>(tail.size(), 16);  // " [", "]"
    const std::int64_t width = room > fixed ? std::min<std::int64_t>(40, room - fixed) : 0;
    std::string line = label;
    if (width >= 10) {
        const std::int64_t filled = total > 0 ? clamped * width / total : width;
        line += " [" + std::string(filled, '#') + std::string(width - filled, ' ') + "]";
    }
    line += tail;
    if (line.size() > room) line.resize(room);
    if (line == shown) return;
    // Erased to the end of the line, in case the last one was longer.
    out << '\r' << line << "\x1b[K" << std::flush;
    shown = std::move(line);
}

void ProgressBar::Clear() {
    if (shown.empty()) return;
    out << "\r\x1b[K" << std::flush;
    shown.clear();
}

}  // namespace quon_host
