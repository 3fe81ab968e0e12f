#include "host/ClosestName.h"

#include <algorithm>
#include <cctype>
#include <numeric>

namespace quon_host {

std::size_t EditDistance(std::string_view a, std::string_view b) {
    // Three rows: two neighbours swapped ("lsit" for "list") count as one edit.
    std::vector<std::size_t> before(b.size() + 1), previous(b.size() + 1), row(b.size() + 1);
    std::iota(previous.begin(), previous.end(), 0);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                row[j] = std::min(row[j], before[j - 2] + 1);
        }
        std::swap(before, previous);
        std::swap(previous, row);
    }
    return previous[b.size()];
}

std::string ClosestName(std::string_view name, const std::vector<std::string_view>& candidates,
                        std::size_t maxDistance) {
    const auto lower = [](std::string_view text) {
        std::string folded(text);
        for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return folded;
    };
    if (maxDistance == 0) maxDistance = std::max<std::size_t>(1, name.size() / 3);
    std::string best;
    std::size_t bestDistance = SIZE_MAX;
    for (std::string_view candidate : candidates) {
        const std::size_t d = lower(name) == lower(candidate) ? 0 : EditDistance(name, candidate);
        if (d <= maxDistance && d < bestDistance) {
            bestDistance = d;
            best = candidate;
        }
    }
    return best;
}

}  // namespace quon_host
