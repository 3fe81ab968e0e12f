// Ownership of a pooled cell: a 16-byte cell from the calling thread's cell pool 1, made by
// EvaluateNew or by the host's makeArray. The guard gives the cell back on every way out (an
// exception included): ReleaseData first, then the block returns to the pool.
//
// A carrier cell (the pooled cell makeArray hands out) is not released but handed over: its
// image moves into the result slot, which now owns the payload, and only the 16 bytes return.
//
// The 16 bytes go back through `GiveBack`: this thread's pool 1 for the module's own cells; the
// library's binding code guards the cells the host made with a guard that gives them back to the
// host (externlib/HostCell.h).
#pragma once

#include <utility>

#include "evaluator/cell.h"
#include "memory/ThreadCellPools.h"

namespace QUON_Evaluator {

template <void (*GiveBack)(void* block)>
class BasicPooledCell {
public:
    explicit BasicPooledCell(EvCell* cell) noexcept : cell(cell) {}
    BasicPooledCell(BasicPooledCell&& other) noexcept : cell(std::exchange(other.cell, nullptr)) {}
    BasicPooledCell& operator=(BasicPooledCell&&) = delete;
    ~BasicPooledCell() {
        if (cell != nullptr) {
            cell->ReleaseData();
            GiveBack(cell);
        }
    }

    // The evaluated value of `source` as a new pooled cell.
    static BasicPooledCell Evaluate(EvCell& source) { return BasicPooledCell(source.EvaluateNew()); }
    static BasicPooledCell EvaluateAlt(EvCell& source) { return BasicPooledCell(source.EvaluateNewAlt()); }

    EvCell* Get() const { return cell; }
    EvCell* operator->() const { return cell; }
    EvCell& operator*() const { return *cell; }

    // Gives up ownership: the caller now owns the cell.
    EvCell* Release() noexcept { return std::exchange(cell, nullptr); }

    // Moves the cell's image into `place` and gives the 16 bytes back to the pool without
    // releasing the payload: whoever owns `place` now owns what the payload refers to.
    void MoveImageTo(void* place) {
        CopyCellWords(place, *cell);
        GiveBack(std::exchange(cell, nullptr));
    }

private:
    EvCell* cell;  // owned; null once handed over
};

using PooledCell = BasicPooledCell<&FreeCell>;

}  // namespace QUON_Evaluator
