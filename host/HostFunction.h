// Quon functions the stand-in host hands to the library's callback rows. The cell's payload is a
// shared object holding a C++ body over host values. Evaluating the cell (EvaluateNewAlt, as the
// library's callback wrapper does after prepareCall) takes the frame's arguments as values, runs
// the body and returns its result in a new pooled cell. When the object carries the function
// type the row expects, a result of another type is refused before the library can read it.
//
//   function cell  [HostFunctionCell | object] -> HostFunctionObject: references, arity, body, type
#pragma once

#include <atomic>
#include <cstddef>

#include "datatypes/DataType.h"
#include "evaluator/EvValueCell.h"
#include "host/Value.h"

namespace quon_host {

struct HostFunctionObject {
    std::atomic<std::uint64_t> references{1};
    std::size_t arity;
    Value::Body body;
    QUON_DataTypes::DataType type;  // the function type expected of it; Undefined: not checked
};

class HostFunctionCell : public QUON_Evaluator::EvValueCell {
public:
    // A new function cell at `place` (whatever was there is overwritten).
    static HostFunctionCell* MakeAt(void* place, std::size_t arity, Value::Body body,
                                    const QUON_DataTypes::DataType& type = {});
    HostFunctionObject* Object() const { return reinterpret_cast<HostFunctionObject*>(word); }

    // Calls the body with the current call frame's arguments; the result is a new pooled cell.
    QUON_Evaluator::EvCell* EvaluateNewAlt() override;
    void ReleaseData() override;
    void CloneData() override;
    void ToString(tString& out, bool quoted) const override;  // "<function of n arguments>"

private:
    explicit HostFunctionCell(HostFunctionObject* object)
        : EvValueCell(reinterpret_cast<std::uintptr_t>(object)) {}
};

static_assert(QUON_Evaluator::CellLayout::IsTwoWordCell<HostFunctionCell>());

}  // namespace quon_host
