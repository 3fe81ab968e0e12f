// Ownership of a pooled cell: a 16-byte cell from the calling thread's cell pool 1, made by
// EvaluateNew or by the host's makeArray. The guard gives the cell back on every way out (an
// exception included): ReleaseData first, then the block returns to the pool.
//
// A carrier cell (the pooled cell makeArray hands out) is not released but handed over: its
// image moves into the result slot, which now owns the payload, and only the 16 bytes return.
#pragma once

#include <utility>

#include "evaluator/cell.h"
#include "memory/ThreadCellPools.h"

namespace QUON_Evaluator {

class PooledCell {
public:
    explicit PooledCell(EvCell* cell) noexcept : cell(cell) {}
    PooledCell(PooledCell&& other) noexcept : cell(std::exchange(other.cell, nullptr)) {}
    PooledCell& operator=(PooledCell&&) = delete;
    ~PooledCell() {
        if (cell != nullptr) ReleasePooledCell(cell);
    }

    // The evaluated value of `source` as a new pooled cell.
    static PooledCell Evaluate(EvCell& source) { return PooledCell(source.EvaluateNew()); }
    static PooledCell EvaluateAlt(EvCell& source) { return PooledCell(source.EvaluateNewAlt()); }

    EvCell* Get() const { return cell; }
    EvCell* operator->() const { return cell; }
    EvCell& operator*() const { return *cell; }

    // Moves the cell's image into `place` and gives the 16 bytes back to the pool without
    // releasing the payload: whoever owns `place` now owns what the payload refers to.
    void MoveImageTo(void* place) {
        CopyCellWords(place, *cell);
        FreeCell(std::exchange(cell, nullptr));
    }

private:
    EvCell* cell;  // owned; null once handed over
};

}  // namespace QUON_Evaluator
