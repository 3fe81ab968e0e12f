// A game of life on a board held as Array[Array[Int]] (rows of 0 = dead, 1 = alive) that wraps
// around at its edges. A cell's next state comes from the sum S of its whole 3 x 3 block, the
// cell itself included: a dead cell is born when S is 3, a live cell stays alive when S is 2 or 3.
#pragma once

#include <cstdint>

#include "externlib/Caster.h"

namespace QUON_TestLib {

using QUON_ExternLib::IntArrayView;
using QUON_ExternLib::IntMatrixView;
using QUON_ExternLib::NewArray;
using QUON_ExternLib::tString;

// The next state of column x, row y; the board's own first-row length and row count wrap.
std::int32_t LifeNextCell(IntMatrixView board, std::int32_t x, std::int32_t y);
// The next board, h rows of w cells, wrapping at w and h.
NewArray<IntArrayView> LifeNextStep(IntMatrixView board, std::int32_t w, std::int32_t h);
// One line per row, "." for a dead cell and "X" for a live one, each line ended by "\n".
tString LifeTableToString(IntMatrixView board);

}  // namespace QUON_TestLib
