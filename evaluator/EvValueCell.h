// Cells that hold a value and evaluate to themselves.
//
// EvValueCell evaluates by copying its two words and then letting the copy take its own share
// of what the payload refers to (CloneData); classes whose payload owns data (strings, the
// host's arrays, records and objects) use it. EvPrimitiveValueCell is the plain case, a value
// held in the payload word itself: evaluation is a two-word copy and nothing more.
#pragma once

#include "evaluator/cell.h"

namespace QUON_Evaluator {

class EvValueCell : public EvCell {
public:
    using EvCell::EvCell;

    // Each writes a copy and calls CloneData on it; a CloneData that throws leaves no copy
    // behind on the stack or in the pool.
    void PushEvaluated() override;
    void EvaluateInto(void* place) override;
    EvCell* EvaluateNew() override;
};

class EvPrimitiveValueCell : public EvValueCell {
public:
    using EvValueCell::EvValueCell;

    void PushEvaluated() override;
    void EvaluateInto(void* place) override;
    EvCell* EvaluateNew() override;
};

static_assert(CellLayout::IsTwoWordCell<EvValueCell>());
static_assert(CellLayout::IsTwoWordCell<EvPrimitiveValueCell>());

}  // namespace QUON_Evaluator
