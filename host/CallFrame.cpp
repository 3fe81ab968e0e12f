#include "host/CallFrame.h"

#include <new>

#include "evaluator/EvInvalidCell.h"
#include "evaluator/PrimitiveCells.h"
#include "host/HostEvaluator.h"
#include "host/HostFaults.h"

namespace quon_host {

using QUON_Evaluator::EvCell;

CallFrame::CallFrame(std::size_t arguments)
    : count(arguments + 1),
      more(count > kInlineSlots ? new Slot[count] : nullptr),
      slots(more != nullptr ? more.get() : inlineSlots) {
    // Every slot holds a cell before the setters fill it, so releasing an unfilled one is harmless.
    for (std::size_t i = 0; i < count; ++i) QUON_Evaluator::EvInvalidCell::MakeAt(slots[i].bytes);
#if defined(QUON_HOST_FAULTS)
    // The host fills cells 0 to count - 2 and a library reads its last argument from the cell left
    // over. An invalid cell's payload is its own address, so reading it as an Int gave a count
    // that changed with every run (a Mandelbrot loop of billions, or none); Int 0 makes every run
    // of the faulty host alike.
    if (Planted(Fault::kArgumentSlot) && count > 1)
        ::new (slots[count - 1].bytes) QUON_Evaluator::EvIntegerCell(0);
#endif
}

CallFrame::~CallFrame() {
    std::size_t first = 1;
#if defined(QUON_HOST_FAULTS)
    if (Planted(Fault::kArgumentSlot)) first = 0;
#endif
    for (std::size_t i = first; i < count; ++i) Cell(i)->ReleaseData();
}

EvCell* CallFrame::Argument(std::size_t i) {
#if defined(QUON_HOST_FAULTS)
    if (Planted(Fault::kArgumentSlot)) return Cell(i);
#endif
    return Cell(1 + i);
}

EvCell* CallFrame::Cell(std::size_t i) {
    return std::launder(reinterpret_cast<EvCell*>(slots[i].bytes));
}

void CallFrame::Call(QUON_ExternLib::AdapterFn adapter, EvCell* result) {
    bool image = count > 1;
#if defined(QUON_HOST_FAULTS)
    if (Planted(Fault::kArgumentSlot) || Planted(Fault::kNoImageCell)) image = false;
#endif
    if (image) QUON_Evaluator::CopyCellWords(Cell(0), *Cell(1));
#if defined(QUON_HOST_FAULTS)
    if (Planted(Fault::kFrameOnValueStack)) return CallOnValueStack(adapter, result);
#endif
    const StackExtensionScope extensions;
    const FrameCheckpoint frames(CurrentEvaluator());
    try {
        adapter(result, Cell(0));
    } catch (...) {
        frames.Restore();
        throw;
    }
}

#if defined(QUON_HOST_FAULTS)
// The frame's images pushed on the thread's value stack and the adapter given a pointer to them:
// a push the library makes for a callback may reallocate the stack under the frame.
void CallFrame::CallOnValueStack(QUON_ExternLib::AdapterFn adapter, EvCell* result) {
    QUON_Evaluator::Evaluator* evaluator = CurrentEvaluator();
    const std::size_t depth = evaluator->Depth();
    for (std::size_t i = 0; i < count; ++i) QUON_Evaluator::CopyCellWords(
        reinterpret_cast<EvCell*>(evaluator->PushSlot()), *Cell(i));
    const StackExtensionScope extensions;
    const FrameCheckpoint frames(evaluator);
    try {
        adapter(result, reinterpret_cast<EvCell*>(evaluator->stack.begin + depth));
    } catch (...) {
        frames.Restore();
        evaluator->stack.end = evaluator->stack.begin + depth;
        throw;
    }
    evaluator->stack.end = evaluator->stack.begin + depth;
}
#endif

}  // namespace quon_host
