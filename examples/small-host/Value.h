// The host's own values: what the expression evaluator computes with. Library cells become these
// values when a call returns, and these values become cells again when they are passed in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace smallhost {

struct Value;
struct Expr;
struct Env;

struct ArrayValue {
    std::vector<Value> items;
};

// Attributes in the order of the record's names table (the order it prints in).
struct RecordValue {
    std::vector<std::string> names;
    std::vector<Value> values;
};

// A share of an object only the host's cells know how to hold (a custom object). The last share
// dropped releases it.
struct OpaqueValue {
    virtual ~OpaqueValue() = default;
    virtual std::string Text() const = 0;
    virtual std::string TypeName() const = 0;
};

// A lambda with the variables it saw where it was written.
struct FunctionValue {
    std::vector<std::string> params;
    std::shared_ptr<const Expr> body;
    std::shared_ptr<const Env> env;
};

struct Value {
    std::variant<std::int64_t, double, bool, std::string, std::shared_ptr<ArrayValue>,
                 std::shared_ptr<RecordValue>, std::shared_ptr<OpaqueValue>,
                 std::shared_ptr<FunctionValue>>
        data;

    template <class T>
    bool Is() const { return std::holds_alternative<T>(data); }
    template <class T>
    const T& As() const { return std::get<T>(data); }

    static Value Array(std::vector<Value> items) {
        return {std::make_shared<ArrayValue>(ArrayValue{std::move(items)})};
    }
};

// Variables in scope: a list that closures share.
struct Env {
    std::string name;
    Value value;
    std::shared_ptr<const Env> next;
};

// The value as a literal of the expression language (the catalogue's `value:` form).
std::string PrintValue(const Value& value);
std::string PrintFloat(double value);
std::string QuoteString(const std::string& bytes);
// "Int", "Array", ... for messages.
std::string KindName(const Value& value);

}  // namespace smallhost
