#include "host/CallFrame.h"

#include <new>

#include "evaluator/EvInvalidCell.h"
#include "host/HostEvaluator.h"

namespace quon_host {

using QUON_Evaluator::EvCell;

CallFrame::CallFrame(std::size_t arguments) : count(arguments + 1), slots(new Slot[count]) {
    // Every slot holds a cell before the setters fill it, so releasing an unfilled one is harmless.
    for (std::size_t i = 0; i < count; ++i) QUON_Evaluator::EvInvalidCell::MakeAt(slots[i].bytes);
}

CallFrame::~CallFrame() {
    for (std::size_t i = 1; i < count; ++i) Cell(i)->ReleaseData();
}

EvCell* CallFrame::Cell(std::size_t i) {
    return std::launder(reinterpret_cast<EvCell*>(slots[i].bytes));
}

void CallFrame::Call(QUON_ExternLib::AdapterFn adapter, EvCell* result) {
    if (count > 1) QUON_Evaluator::CopyCellWords(Cell(0), *Cell(1));
    const StackExtensionScope extensions;
    const FrameCheckpoint frames(CurrentEvaluator());
    adapter(result, Cell(0));
}

}  // namespace quon_host
