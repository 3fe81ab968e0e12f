// The arithmetic and comparison operators of the host's expressions, on host values. Both sides
// of an arithmetic operator are Ints or both Floats; Int results that do not fit in 64 bits and
// Int division or remainder by zero are errors (ExprError at `column`), never wrapped values.
#pragma once

#include <cstddef>
#include <string_view>

#include "host/Value.h"

namespace quon_host::expr {

// op is one of + - * / % == != < <= > >=
Value ApplyOperator(std::string_view op, const Value& left, const Value& right, std::size_t column);
Value Negate(const Value& operand, std::size_t column);

}  // namespace quon_host::expr
