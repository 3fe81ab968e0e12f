// The rule of the lifeNextCell and lifeNextStep rows, in one header for the rows and for the search
// that finds patterns under it (tools/life-search.cpp), so that the two cannot drift apart. It
// includes nothing of the library, so the tool can share it without the library's code.
#pragma once

#include <cstdint>

namespace QUON_TestLib {

// The new value of a cell from its own state and the sum of its 3x3 block (itself included): a
// dead cell is born at 3, a live one stays at 2 or 3. Bitwise, so that it compiles without a
// branch on the cells: on a random board such a branch mispredicts about every other cell.
constexpr std::int32_t LifeRule(bool alive, std::int32_t blockSum) {
    return static_cast<std::int32_t>((blockSum == 3) | (alive & (blockSum == 2)));
}

}  // namespace QUON_TestLib
