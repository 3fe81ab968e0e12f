// Evaluates the host's expressions over host values with one loaded library:
//
//   literals      42  -1.5  nan  true  'it\'s'  [1, [2]]  {intAttr1: 3, intAttr2: 7}
//   row calls     maxint(3, 4)  test2num(num2test(-5))   each argument checked by HostLibrary
//   lambdas       x -> x * x   (a, b) -> a + b           Quon functions for the callback rows,
//                                                        closing over outer lambda parameters
//   arithmetic    + - * / % and unary -, on two Ints or two Floats; Int overflow and Int division
//                 by zero are errors, not wrapped values
//   comparisons   == != on Ints, Floats, Bools, Strings; < <= > >= on Ints, Floats, Strings
//   built-ins     map(array, f)  len(array or string)  a[i] (from 0)
//
// A name is looked up among the enclosing lambdas' parameters first, then the built-ins, then the
// library's rows. Errors are ExprError (with a column), CallError from the library's checks, or
// whatever a row throws.
//
// A lambda's value refers to this evaluator: call it only while the evaluator lives.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/HostLibrary.h"
#include "quon-host/expr/Ast.h"

namespace quon_host::expr {

class ExprEvaluator {
public:
    // Checks a row call before it runs: throws to refuse it (the fuzzer bounds counts with it).
    using CallCheck = std::function<void(std::string_view row, std::span<const Value> arguments)>;

    static constexpr std::size_t kMaxDepth = 500;  // nested evaluation steps, lambda calls included

    explicit ExprEvaluator(const HostLibrary& library, CallCheck check = nullptr,
                           std::uint64_t maxSteps = UINT64_MAX);

    // Parses and evaluates one expression.
    Value Evaluate(std::string_view text);
    Value Evaluate(const Node& node);

private:
    struct Scope;  // one lambda call's parameters, then the enclosing ones
    using ScopePtr = std::shared_ptr<const Scope>;

    const HostLibrary& library;
    CallCheck check;
    std::uint64_t maxSteps;  // evaluation steps allowed per Evaluate
    std::uint64_t steps = 0;
    std::size_t depth = 0;
    // A call node of the running expression: the row it named when it first ran, so that later
    // runs skip the lookup, and for each argument the last row whose result it passed on and
    // whether that row's published result type is the parameter's (the argument then needs no
    // check: the result was checked when that row returned). Cleared by Evaluate.
    struct CallSite {
        const HostLibrary::Row* row = nullptr;
        std::vector<std::pair<const HostLibrary::Row*, bool>> producers;
    };
    std::unordered_map<const Node*, CallSite> callSites;
    // The row whose result the last call node evaluated returned, or null for another value.
    const HostLibrary::Row* resultRow = nullptr;

    Value Eval(const Node& node, const ScopePtr& scope);
    Value EvalCall(const Node& node, const ScopePtr& scope);
    // The call itself; `produced` is set to the row when the value is that row's result.
    Value EvalCallOf(const Node& node, const ScopePtr& scope, const HostLibrary::Row*& produced);
    Value EvalLambda(const Node& node, const ScopePtr& scope);
    Value EvalIndex(const Node& node, const ScopePtr& scope);
    std::vector<Value> EvalAll(const Node& node, const ScopePtr& scope);
};

// Set (by a SIGINT handler) to stop the evaluation running on any thread at its next step with
// ExprError("interrupted"). A row's native code is never cut short: the evaluation stops when it
// next evaluates, unwinding as an error does, through any callback frames the library opened.
inline std::atomic<bool> theInterrupt{false};

// What the exception in flight says, for a message: its what(), or a plain text for the standard
// library's allocation and call failures. Call only inside a catch block.
std::string FailureText();

// A row call that the library (or a callback inside it) ended with an exception: the text names the
// row, `thrown` is the exception's own what() ("Empty array element requested! [err 2022]").
class RowError : public CallError {
public:
    RowError(const std::string& text, std::string thrown) : CallError(text), thrown(std::move(thrown)) {}
    std::string thrown;
};

// Calls the library's function `row`; whatever fails reaches the caller as a CallError whose text
// starts with the function's name ("lifeNextCell: Empty array element requested! [err 2022]"), a
// RowError when the call threw. `conforming` marks arguments not to check again (HostLibrary::Call).
Value CallFunction(const HostLibrary& library, const HostLibrary::Row& row,
                   std::span<const Value> arguments, std::uint64_t conforming = 0);

// Calls a function value with `arguments`; throws ExprError (at `column`) for another value or
// another number of arguments.
Value Apply(const Value& function, const std::vector<Value>& arguments, std::string_view what,
            std::size_t column);

}  // namespace quon_host::expr
