#include "evaluator/EvValueCell.h"

#include <new>

#include "evaluator/ValueStack.h"
#include "memory/ThreadCellPools.h"

namespace QUON_Evaluator {

void EvValueCell::PushEvaluated() {
    Evaluator& evaluator = CurrentEvaluator();
    void* slot = evaluator.PushSlot();
    try {
        CopyTo(slot);
    } catch (...) {
        evaluator.PopSlot();
        throw;
    }
}

void EvValueCell::EvaluateInto(void* place) {
    CopyTo(place);
}

EvCell* EvValueCell::EvaluateNew() {
    void* block = AllocateCell();
    try {
        CopyTo(block);
    } catch (...) {
        FreeCell(block);
        throw;
    }
    return std::launder(static_cast<EvCell*>(block));
}

void EvPrimitiveValueCell::PushEvaluated() {
    CopyCellWords(PushValueSlot(), *this);
}

void EvPrimitiveValueCell::EvaluateInto(void* place) {
    CopyCellWords(place, *this);
}

EvCell* EvPrimitiveValueCell::EvaluateNew() {
    void* block = AllocateCell();
    CopyCellWords(block, *this);
    return std::launder(static_cast<EvCell*>(block));
}

}  // namespace QUON_Evaluator
