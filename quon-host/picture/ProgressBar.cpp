#include "quon-host/picture/ProgressBar.h"

#include <algorithm>

namespace quon_host {

void ProgressBar::Show(std::int64_t done) {
    constexpr std::int64_t kWidth = 40;
    const std::int64_t clamped = std::clamp<std::int64_t>(done, 0, total);
    const std::int64_t filled = total > 0 ? clamped * kWidth / total : kWidth;
    const std::int64_t percent = total > 0 ? clamped * 100 / total : 100;
    std::string line = label + " [" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "] " +
                       std::to_string(percent) + "%";
    if (line == shown) return;
    out << '\r' << line << std::flush;
    shown = std::move(line);
}

void ProgressBar::Finish() {
    Show(total);
    out << '\n' << std::flush;
}

}  // namespace quon_host
