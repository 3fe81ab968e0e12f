// Quon functions the stand-in host hands to the library's callback rows: function cells (host/
// HostValues.h) whose object holds a C++ body over host values. Evaluating the cell (EvaluateNewAlt,
// as the library's callback wrapper does after prepareCall) takes the frame's arguments as values,
// runs the body and returns its result in a new pooled cell. When the function carries the type
// the row expects, a result of another type is refused before the library can read it.
#pragma once

#include <string>

#include "datatypes/DataType.h"
#include "host/HostValues.h"
#include "host/Value.h"

namespace quon_host {

struct HostFunction : HostFunctionObject {
    HostFunction(std::size_t arity, Value::Body body, const QUON_DataTypes::DataType& type, const char* row,
                 std::size_t argument)
        : HostFunctionObject(arity), body(std::move(body)), type(type), row(row), argument(argument) {}
    EvCell* Evaluate() override;

    const Value::Body body;
    const QUON_DataTypes::DataType type;  // the function type expected of it; Undefined: not checked
    // Where it was given, named only in errors ("test1a: the function given as argument 1"); a
    // function given to no row is "a callback".
    const char* const row;
    const std::size_t argument;  // from 1
};

// A Quon function of `arity` arguments whose evaluation runs `body` over host values; `row` and
// `argument` say where it was given, when it carries that row's type.
Value MakeFunction(std::size_t arity, Value::Body body, const QUON_DataTypes::DataType& type = {},
                   const char* row = nullptr, std::size_t argument = 0);
// The function a value holds, or null for any other value.
const HostFunction* FunctionOf(const Value& value);

}  // namespace quon_host
