// A call of a library row as the stand-in host makes it: a frame of argument cells and a result
// cell. Argument i lies in cell 1 + i; cell 0 holds an image of argument 0 as well, so that both
// kinds of adapter find their first argument: generated ones read cell 1 + i, the hand-written
// ones read their single argument from cell 0. The frame owns its argument cells and releases
// them at its end; cell 0 is only an image and is never released.
#pragma once

#include <cstddef>
#include <memory>

#include "evaluator/cell.h"
#include "hostabi/LibraryDescriptor.h"

namespace quon_host {

class CallFrame {
public:
    explicit CallFrame(std::size_t arguments);
    ~CallFrame();
    CallFrame(const CallFrame&) = delete;
    CallFrame& operator=(const CallFrame&) = delete;

    // The slot of argument i, for the host's setters to fill.
    QUON_Evaluator::EvCell* Argument(std::size_t i);

    // Calls `adapter` with `result` and this frame (cell 0 made an image of argument 0 first). The
    // thread's stack limit is restored however the call ends, and its evaluator's frames when an
    // error ends it.
    void Call(QUON_ExternLib::AdapterFn adapter, QUON_Evaluator::EvCell* result);

private:
    QUON_Evaluator::EvCell* Cell(std::size_t i);
#if defined(QUON_HOST_FAULTS)
    void CallOnValueStack(QUON_ExternLib::AdapterFn adapter, QUON_Evaluator::EvCell* result);
#endif

    struct alignas(16) Slot {
        unsigned char bytes[16];
    };
    static constexpr std::size_t kInlineSlots = 5;  // cell 0 and four arguments: no allocation

    std::size_t count;             // cells, cell 0 included
    std::unique_ptr<Slot[]> more;  // the cells of a frame with more arguments
    Slot* slots;                   // cell 0, then the arguments: inlineSlots or more
    Slot inlineSlots[kInlineSlots];
};

}  // namespace quon_host
