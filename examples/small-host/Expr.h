// The expression language of the catalogue's `call:` lines: literals, row calls, lambdas,
// map/len/indexing, arithmetic and comparisons. Parsed into a tree, then evaluated over Values.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Value.h"

namespace smallhost {

struct Expr {
    enum class Kind { kLiteral, kVariable, kCall, kArray, kRecord, kLambda, kIndex, kBinary, kNegate };
    Kind kind;
    Value literal;                                   // kLiteral
    std::string name;                                // variable, callee or operator
    std::vector<std::string> names;                  // lambda parameters, record attribute names
    std::vector<std::shared_ptr<const Expr>> parts;  // arguments, elements, operands, lambda body
};
using ExprPtr = std::shared_ptr<const Expr>;

// A mistake in the text of an expression, or in what it asks for (an unknown name, a wrong type).
struct EvalError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

ExprPtr ParseExpression(std::string_view text);

// What the evaluator calls that is not its own: the library's rows.
class RowCaller {
public:
    virtual ~RowCaller() = default;
    virtual bool HasRow(const std::string& name) const = 0;
    // Calls the row with the arguments; they stay the caller's and are dropped after it returns.
    virtual Value CallRow(const std::string& name, const std::vector<Value>& args) = 0;
};

Value Evaluate(const Expr& expr, const std::shared_ptr<const Env>& env, RowCaller& rows);
Value Apply(const FunctionValue& function, std::vector<Value> args, RowCaller& rows);

}  // namespace smallhost
