#include "host/HostFunction.h"

#include <new>
#include <vector>

#include "datatypes/DataTypeCodes.h"
#include "host/HostEvaluator.h"
#include "host/TypeCheck.h"
#include "hostabi/Evaluator.h"
#include "memory/ThreadCellPools.h"

namespace quon_host {

using QUON_Evaluator::EvCell;

HostFunctionCell* HostFunctionCell::MakeAt(void* place, std::size_t arity, Value::Body body,
                                           const QUON_DataTypes::DataType& type) {
    auto* object = new HostFunctionObject{{1}, arity, std::move(body), type};
    return ::new (place) HostFunctionCell(object);
}

EvCell* HostFunctionCell::EvaluateNewAlt() {
    const HostFunctionObject& function = *Object();
    QUON_Evaluator::Evaluator& evaluator = *CurrentEvaluator();
    // prepareCall recorded the argument count last; the last argument is the frame base.
    const std::size_t count = evaluator.frameSizes.empty() ? 0 : evaluator.frameSizes.back();
    if (count != function.arity)
        throw CallError("a function of " + std::to_string(function.arity) + " arguments was called with " +
                        std::to_string(count));
    // Shares of the arguments, taken before the body can move the value stack.
    std::vector<Value> arguments;
    const auto* first = reinterpret_cast<const EvCell*>(evaluator.frameBase + 1 - count);
    for (std::size_t i = 0; i < count; ++i) arguments.push_back(Value::Share(first[i]));

    Value result = function.body(arguments);
    if (function.type.Get()->TypeCode() != QUON_DataTypes::TypeCode::kUndefined) {
        QUON_DataTypes::DataType& expected = function.type.Get()->GetFunctionSubType(0);
        if (!Conforms(result, expected))
            throw CallError("a callback returned " + result.TypeText() + " where " +
                            std::string(expected.ToString().Text()) + " was expected");
    }
    void* cell = QUON_Evaluator::AllocateCell();
    result.MoveInto(cell);
    return static_cast<EvCell*>(cell);
}

void HostFunctionCell::ReleaseData() {
    HostFunctionObject* object = Object();
    word = 0;
    if (object != nullptr && object->references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete object;
}

void HostFunctionCell::CloneData() {
    if (HostFunctionObject* object = Object()) object->references.fetch_add(1, std::memory_order_relaxed);
}

void HostFunctionCell::ToString(tString& out, bool) const {
    const std::size_t arity = Object() != nullptr ? Object()->arity : 0;
    out = tString("<function of " + std::to_string(arity) + (arity == 1 ? " argument>" : " arguments>"));
}

}  // namespace quon_host
