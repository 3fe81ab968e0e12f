// "Did you mean" for names a user mistyped: the candidate fewest single-character edits away.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quon_host {

// Single-character insertions, deletions and substitutions that turn `a` into `b`.
std::size_t EditDistance(std::string_view a, std::string_view b);

// The candidate closest to `name`, or empty when none lies within `maxDistance` edits. The default
// distance counts a name close when a third of it (at least one character) is mistyped; a
// candidate that differs from it in letter case only is always close.
std::string ClosestName(std::string_view name, const std::vector<std::string_view>& candidates,
                        std::size_t maxDistance = 0);

}  // namespace quon_host
