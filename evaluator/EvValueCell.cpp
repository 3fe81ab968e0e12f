#include "evaluator/EvValueCell.h"

#include <new>

#include "evaluator/ValueStack.h"
#include "memory/ThreadCellPools.h"

namespace QUON_Evaluator {

// This cell may itself lie on the value stack, which a push can move: its image is taken before
// the push, and the copy's data is cloned from that image (the payload's data is not on the stack).
void EvValueCell::PushEvaluated() {
    const CellSlot image = CellSlot::Of(this);
    Evaluator& evaluator = CurrentEvaluator();
    void* slot = evaluator.PushSlot();
    image.WriteTo(slot);
    try {
        std::launder(static_cast<EvCell*>(slot))->CloneData();
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
    const CellSlot image = CellSlot::Of(this);  // before the push can move this cell
    image.WriteTo(PushValueSlot());
}

void EvPrimitiveValueCell::EvaluateInto(void* place) {
    CopyCellWords(place, *this);
}

namespace {

// The rare path of EvaluateNew: a refill, or the thread's first cell. Takes the image by value,
// so the fast path reaches it with a tail call and saves no register of its own.
[[gnu::noinline]] EvCell* NewPooledCellSlow(CellSlot image) {
    void* block = AllocateCell();
    image.WriteTo(block);
    return std::launder(static_cast<EvCell*>(block));
}

}  // namespace

EvCell* EvPrimitiveValueCell::EvaluateNew() {
    const CellSlot image = CellSlot::Of(this);
    void* block = TryAllocateCell();
    if (block == nullptr) [[unlikely]]
        return NewPooledCellSlow(image);
    image.WriteTo(block);
    return std::launder(static_cast<EvCell*>(block));
}

}  // namespace QUON_Evaluator
