#include "quon-host/expr/Operators.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "quon-host/expr/ExprError.h"

namespace quon_host::expr {

namespace {

using Kind = Value::Kind;

[[noreturn]] void Refuse(std::string_view op, const Value& left, const Value& right, std::size_t column) {
    throw ExprError(
        "cannot apply '" + std::string(op) + "' to " + left.TypeText() + " and " + right.TypeText(),
        column);
}

Value IntArithmetic(char op, std::int64_t a, std::int64_t b, std::size_t column) {
    std::int64_t result = 0;
    bool overflow = false;
    switch (op) {
        case '+':
            overflow = __builtin_add_overflow(a, b, &result);
            break;
        case '-':
            overflow = __builtin_sub_overflow(a, b, &result);
            break;
        case '*':
            overflow = __builtin_mul_overflow(a, b, &result);
            break;
        default:  // '/' and '%'
            if (b == 0) throw ExprError(op == '/' ? "division by zero" : "remainder by zero", column);
            // INT64_MIN / -1 does not fit; INT64_MIN % -1 is 0 (which C++ would trap on).
            overflow = op == '/' && a == INT64_MIN && b == -1;
            if (!overflow) result = b == -1 ? (op == '/' ? -a : 0) : (op == '/' ? a / b : a % b);
    }
    if (overflow)
        throw ExprError("Int overflow in " + std::to_string(a) + " " + op + " " + std::to_string(b),
                        column);
    return Value::Int(result);
}

Value FloatArithmetic(char op, double a, double b) {
    switch (op) {
        case '+':
            return Value::Float(a + b);
        case '-':
            return Value::Float(a - b);
        case '*':
            return Value::Float(a * b);
        case '/':
            return Value::Float(a / b);
        default:
            return Value::Float(std::fmod(a, b));
    }
}

// <0, 0, >0 as `left` is below, equal to or above `right`; NaN compares unordered (1 for all).
template <class T>
int Order(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : (a == b ? 0 : 2));
}

}  // namespace

Value ApplyOperator(std::string_view op, const Value& left, const Value& right, std::size_t column) {
    const Kind kind = left.GetKind();
    if (kind != right.GetKind()) Refuse(op, left, right, column);
    if (op.size() == 1 && std::string_view("+-*/%").find(op[0]) != std::string_view::npos) {
        if (kind == Kind::Int) return IntArithmetic(op[0], left.AsInt(), right.AsInt(), column);
        if (kind == Kind::Float) return FloatArithmetic(op[0], left.AsFloat(), right.AsFloat());
        Refuse(op, left, right, column);
    }
    int order = 0;
    const bool equality = op == "==" || op == "!=";
    if (kind == Kind::Int)
        order = Order(left.AsInt(), right.AsInt());
    else if (kind == Kind::Float)
        order = Order(left.AsFloat(), right.AsFloat());
    else if (kind == Kind::String)
        order = Order(left.AsString(), right.AsString());
    else if (kind == Kind::Bool && equality)
        order = left.AsInt() == right.AsInt() ? 0 : 1;
    else
        Refuse(op, left, right, column);
    if (order == 2) return Value::Bool(op == "!=");  // NaN: only != holds
    if (op == "==") return Value::Bool(order == 0);
    if (op == "!=") return Value::Bool(order != 0);
    if (op == "<") return Value::Bool(order < 0);
    if (op == "<=") return Value::Bool(order <= 0);
    if (op == ">") return Value::Bool(order > 0);
    return Value::Bool(order >= 0);  // ">="
}

Value Negate(const Value& operand, std::size_t column) {
    if (operand.GetKind() == Kind::Float) return Value::Float(-operand.AsFloat());
    if (operand.GetKind() != Kind::Int)
        throw ExprError("cannot apply '-' to " + operand.TypeText(), column);
    if (operand.AsInt() == INT64_MIN)
        throw ExprError("Int overflow in -(" + std::to_string(INT64_MIN) + ")", column);
    return Value::Int(-operand.AsInt());
}

}  // namespace quon_host::expr
