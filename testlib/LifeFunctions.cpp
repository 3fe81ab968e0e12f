#include "testlib/LifeFunctions.h"

#include <string>

#include "diagnostics/EvException.h"

namespace QUON_TestLib {

using QUON_ExternLib::Host;
using QUON_ExternLib::IntArray;
using QUON_ExternLib::NewArray;
using QUON_ExternLib::RowOf;

namespace {

constexpr std::int32_t kEmptyArrayElement = 22;  // "Empty array element requested!"

// (size + position + offset) % size in wrapping 32-bit arithmetic, with the sign of the dividend;
// the result may still lie outside the board and is then normalised where it is used.
std::int32_t Around(std::int32_t size, std::int32_t position, std::int32_t offset) {
    const auto sum =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(size) + static_cast<std::uint32_t>(position) +
                                  static_cast<std::uint32_t>(offset));
    return sum % size;
}

// A cell's value: the low 32 bits of its payload.
std::int32_t CellValue(const IntArray* row, std::int64_t column) {
    return static_cast<std::int32_t>((*row)[column]);
}

// The next state of (c, r) on a width x height torus.
std::int32_t NextState(const IntMatrix* board, std::int32_t width, std::int32_t height, std::int32_t c,
                       std::int32_t r) {
    // A board without columns or rows has no block to sum.
    if (width <= 0 || height <= 0) throw QUON_Evaluator::EvException(kEmptyArrayElement);
    const std::int32_t columns[3] = {Around(width, c, -1), Around(width, c, 0), Around(width, c, 1)};
    std::uint32_t sum = 0;
    for (std::int32_t k = -1; k <= 1; ++k) {
        const IntArray* row = RowOf(board, Around(height, r, k));
        for (std::int32_t column : columns) sum += static_cast<std::uint32_t>(CellValue(row, column));
    }
    const auto blockSum = static_cast<std::int32_t>(sum);
    if (CellValue(RowOf(board, r), c) == 0) return blockSum == 3 ? 1 : 0;
    return blockSum == 2 || blockSum == 3 ? 1 : 0;
}

}  // namespace

std::int32_t LifeNextCell(IntMatrix* board, std::int32_t x, std::int32_t y) {
    const auto width = static_cast<std::int32_t>(RowOf(board, 0)->Count());
    const auto height = static_cast<std::int32_t>(board->Count());
    return NextState(board, width, height, x, y);
}

IntMatrix* LifeNextStep(IntMatrix* board, std::int32_t w, std::int32_t h) {
    NewArray<IntArray*> next(h);
    for (std::int32_t r = 0; r < h; ++r) {
        NewArray<long long> row(w);
        for (std::int32_t c = 0; c < w; ++c) Host().setInt(row.Element(c), NextState(board, w, h, c, r));
        row.MoveInto(next.Element(r));
    }
    return next.Take();
}

tString LifeTableToString(IntMatrix* board) {
    std::string picture;
    for (QUON_Evaluator::EvCell& rowCell : board->Cells()) {
        // Any non-zero value is alive, as it is for the stepping rule.
        for (long long value : *IntArray::Of(&rowCell))
            picture += static_cast<std::int32_t>(value) == 0 ? '.' : 'X';
        picture += '\n';
    }
    return tString(picture);
}

}  // namespace QUON_TestLib
