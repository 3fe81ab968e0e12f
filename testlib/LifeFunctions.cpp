#include "testlib/LifeFunctions.h"

#include <string>
#include <utility>

#include "diagnostics/EvException.h"
#include "testlib/LifeRule.h"

namespace QUON_TestLib {

using QUON_ExternLib::Host;

namespace {

// (size + position + offset) % size in wrapping 32-bit arithmetic, with the sign of the dividend;
// the result may still lie outside the board and is then normalised where it is used. Inside the
// board the sum lies in [0, 2 size) and needs no division.
std::int32_t Around(std::int32_t size, std::int32_t position, std::int32_t offset) {
    const auto sum =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(size) + static_cast<std::uint32_t>(position) +
                                  static_cast<std::uint32_t>(offset));
    if (sum >= 0 && sum < size) [[likely]]
        return sum;
    if (sum >= size && sum - size < size) [[likely]]
        return sum - size;
    return sum % size;
}

// A cell's value: the low 32 bits of its payload.
std::int32_t CellValue(IntArrayView row, std::int64_t column) {
    return static_cast<std::int32_t>(row[column]);
}

// The rows that the blocks along board row r read: the three around it and r itself.
struct BlockRows {
    IntArrayView around[3];
    IntArrayView centre;

    BlockRows(IntMatrixView board, std::int32_t height, std::int32_t r)
        : around{board[Around(height, r, -1)], board[Around(height, r, 0)], board[Around(height, r, 1)]},
          centre(board[r]) {}
};

// A board without columns or rows has no block to sum.
void RequireCells(std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0)
        throw QUON_Evaluator::EvException(QUON_Evaluator::ErrorCode::kEmptyArrayElement);
}

// The next state of column c on a torus `width` columns wide, the rows fetched beforehand.
std::int32_t NextState(const BlockRows& rows, std::int32_t width, std::int32_t c) {
    const std::int32_t columns[3] = {Around(width, c, -1), Around(width, c, 0), Around(width, c, 1)};
    std::uint32_t sum = 0;
    for (IntArrayView row : rows.around)
        for (std::int32_t column : columns) sum += static_cast<std::uint32_t>(CellValue(row, column));
    return LifeRule(CellValue(rows.centre, c) != 0, static_cast<std::int32_t>(sum));
}

// The rule on one row whose three block rows and centre row all hold exactly `width` elements,
// width below 2^30: every column index of a block then lies inside the row (no wrap of the 32-bit
// sums, no normalisation), so the cells are read in place. Gives the same values as NextState.
void StepFullRow(const BlockRows& rows, std::int32_t width, NewArray<long long>& out) {
    const auto value = [](const QUON_Evaluator::EvCell* cells, std::int32_t column) {
        return static_cast<std::uint32_t>(IntArrayView::ValueOf(cells + column));
    };
    const QUON_Evaluator::EvCell* above = rows.around[0].ElementCell(0);
    const QUON_Evaluator::EvCell* middle = rows.around[1].ElementCell(0);
    const QUON_Evaluator::EvCell* below = rows.around[2].ElementCell(0);
    const QUON_Evaluator::EvCell* centre = rows.centre.ElementCell(0);
    QUON_Evaluator::EvCell* slot = out.Element(0);
    const auto setInt = Host().setInt;
    for (std::int32_t c = 0; c < width; ++c) {
        const std::int32_t left = c == 0 ? width - 1 : c - 1;
        const std::int32_t right = c == width - 1 ? 0 : c + 1;
        const auto sum =
            static_cast<std::int32_t>(value(above, left) + value(above, c) + value(above, right) +
                                      value(middle, left) + value(middle, c) + value(middle, right) +
                                      value(below, left) + value(below, c) + value(below, right));
        setInt(slot + c, LifeRule(value(centre, c) != 0, sum));
    }
}

bool HoldsExactly(const BlockRows& rows, std::int32_t width) {
    if (width >= (1 << 30)) return false;
    for (IntArrayView row : rows.around)
        if (row.Count() != width) return false;
    return rows.centre.Count() == width;
}

}  // namespace

std::int32_t LifeNextCell(IntMatrixView board, std::int32_t x, std::int32_t y) {
    const auto width = static_cast<std::int32_t>(board[0].Count());
    const auto height = static_cast<std::int32_t>(board.Count());
    RequireCells(width, height);
    return NextState(BlockRows(board, height, y), width, x);
}

NewArray<IntArrayView> LifeNextStep(IntMatrixView board, std::int32_t w, std::int32_t h) {
    NewArray<IntArrayView> next(h);
    for (std::int32_t r = 0; r < h; ++r) {
        NewArray<long long> row(w);
        if (w > 0) {
            const BlockRows rows(board, h, r);  // the same three rows for every column of row r
            if (HoldsExactly(rows, w))
                StepFullRow(rows, w, row);
            else
                for (std::int32_t c = 0; c < w; ++c) row.Set(c, NextState(rows, w, c));
        }
        next.Set(r, std::move(row));
    }
    return next;
}

tString LifeTableToString(IntMatrixView board) {
    std::string picture;
    for (IntArrayView row : board) {
        // Any non-zero value is alive, as it is for the stepping rule.
        for (long long value : row) picture += static_cast<std::int32_t>(value) == 0 ? '.' : 'X';
        picture += '\n';
    }
    return tString(picture);
}

}  // namespace QUON_TestLib
