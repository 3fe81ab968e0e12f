// The host's expression language, parsed by recursive descent:
//
//   expression := lambda | comparison
//   lambda     := name '->' expression | '(' [name {',' name}] ')' '->' expression
//   comparison := sum [('==' | '!=' | '<' | '<=' | '>' | '>=') sum]
//   sum        := product {('+' | '-') product}
//   product    := unary {('*' | '/' | '%') unary}
//   unary      := '-' unary | postfix
//   postfix    := primary {'[' expression ']'}
//   primary    := number | string | 'true' | 'false' | name | name '(' [expression {',' expression}] ')'
//               | '[' [expression {',' expression}] ']' | '{' [name ':' expression {',' ...}] '}'
//               | '(' expression ')'
//
// A '-' right before a number is part of the literal, so -9223372036854775808 reads as an Int.
// Nesting deeper than kMaxDepth and text longer than kMaxLength are refused with an error rather
// than risking the stack or the memory.
#pragma once

#include <cstddef>
#include <string_view>

#include "quon-host/expr/Ast.h"

namespace quon_host::expr {

inline constexpr std::size_t kMaxDepth = 200;
inline constexpr std::size_t kMaxLength = 100'000;

// The tree of one whole expression. Throws ExprError with the column of the fault.
NodePtr Parse(std::string_view text);

}  // namespace quon_host::expr
