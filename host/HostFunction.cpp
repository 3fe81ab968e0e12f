#include "host/HostFunction.h"

#include <vector>

#include "datatypes/DataTypeCodes.h"
#include "host/HostEvaluator.h"
#include "host/TypeCheck.h"
#include "hostabi/Evaluator.h"
#include "memory/ThreadCellPools.h"

namespace quon_host {

EvCell* HostFunction::Evaluate() {
    QUON_Evaluator::Evaluator& evaluator = *CurrentEvaluator();
    // prepareCall recorded the argument count last; the last argument is the frame base.
    const std::size_t count = evaluator.frameSizes.empty() ? 0 : evaluator.frameSizes.back();
    if (count != arity)
        throw CallError("a function of " + std::to_string(arity) + " arguments was called with " +
                        std::to_string(count));
    // Shares of the arguments, taken before the body can move the value stack.
    std::vector<Value> arguments;
    const auto* first = reinterpret_cast<const EvCell*>(evaluator.frameBase + 1 - count);
    for (std::size_t i = 0; i < count; ++i) arguments.push_back(Value::Share(first[i]));

    Value result = body(arguments);
    if (type.Get()->TypeCode() != QUON_DataTypes::TypeCode::kUndefined) {
        QUON_DataTypes::DataType& expected = type.Get()->GetFunctionSubType(0);
        if (!Conforms(result, expected))
            throw CallError((row != nullptr ? std::string(row) + ": the function given as argument " +
                                                  std::to_string(argument)
                                            : std::string("a callback")) +
                            " returned " + result.TypeText() + " where " +
                            std::string(expected.ToString().Text()) + " was expected");
    }
    void* cell = QUON_Evaluator::AllocateCell();
    result.MoveInto(cell);
    return static_cast<EvCell*>(cell);
}

Value MakeFunction(std::size_t arity, Value::Body body, const QUON_DataTypes::DataType& type,
                   const char* row, std::size_t argument) {
    Value value;
    ::new (&value.Cell())
        HostFunctionCell(new HostFunction(arity, std::move(body), type, row, argument));
    return value;
}

const HostFunction* FunctionOf(const Value& value) {
    if (value.GetKind() != Value::Kind::Function) return nullptr;
    return static_cast<const HostFunction*>(static_cast<const HostFunctionCell&>(value.Cell()).Object());
}

}  // namespace quon_host
