// The cell that must not be evaluated: what evaluating a cell without a value produces. Its
// payload is the address of the storage it was made in. Evaluating it, or asking it for a
// value, reports "Error: Cell Evaluated!" on the thread's diagnostic channel and throws.
#pragma once

#include <new>

#include "evaluator/cell.h"

namespace QUON_Evaluator {

class EvInvalidCell : public EvCell {
public:
    // An invalid cell made in `place` (whose address becomes its payload).
    static EvInvalidCell* MakeAt(void* place) { return ::new (place) EvInvalidCell(place); }

    void PushEvaluated() override;
    void EvaluateInto(void* place) override;
    EvCell* EvaluateNew() override;

private:
    explicit EvInvalidCell(void* place) : EvCell(reinterpret_cast<CellWord>(place)) {}
};

static_assert(CellLayout::IsTwoWordCell<EvInvalidCell>());

// Reports "Error: Cell Evaluated!\n" on the current evaluator's channel (when the thread has
// one) and throws EvException(ErrorCode::kCellEvaluated).
[[noreturn]] void ReportCellEvaluated();

}  // namespace QUON_Evaluator
