#include "Expr.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

namespace smallhost {
namespace {

// Recursive descent over the text; precedence from low to high: lambda, comparison, + -, * / %,
// unary minus, postfix (call, index), primary.
class Parser {
public:
    explicit Parser(std::string_view source) : text(source) {}

    ExprPtr Whole() {
        ExprPtr expr = Expression();
        Blank();
        if (pos != text.size()) Fail("unexpected '" + std::string(text.substr(pos, 1)) + "'");
        return expr;
    }

private:
    std::string_view text;
    std::size_t pos = 0;

    [[noreturn]] void Fail(const std::string& what) const {
        throw EvalError("cannot parse the expression at column " + std::to_string(pos + 1) + ": " + what);
    }
    void Blank() {
        while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    }
    bool Peek(std::string_view token) {
        Blank();
        return text.substr(pos, token.size()) == token;
    }
    bool Accept(std::string_view token) {
        if (!Peek(token)) return false;
        pos += token.size();
        return true;
    }
    void Expect(std::string_view token) {
        if (!Accept(token)) Fail("expected '" + std::string(token) + "'");
    }
    static bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
    static bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
    std::string Name() {
        Blank();
        if (pos >= text.size() || !IsNameStart(text[pos])) Fail("expected a name");
        std::size_t start = pos;
        while (pos < text.size() && IsNameChar(text[pos])) ++pos;
        return std::string(text.substr(start, pos - start));
    }
    static ExprPtr Make(Expr::Kind kind, std::string name = {}, std::vector<ExprPtr> parts = {}) {
        auto expr = std::make_shared<Expr>();
        expr->kind = kind;
        expr->name = std::move(name);
        expr->parts = std::move(parts);
        return expr;
    }

    // Parameter names when a lambda starts here ("x ->", "() ->", "(a, b) ->"), else nothing.
    bool LambdaHead(std::vector<std::string>& params) {
        std::size_t saved = pos;
        Blank();
        if (pos < text.size() && IsNameStart(text[pos])) {
            params.push_back(Name());
            if (Accept("->")) return true;
        } else if (Accept("(")) {
            if (!Accept(")")) {
                do {
                    Blank();
                    if (pos >= text.size() || !IsNameStart(text[pos])) break;
                    params.push_back(Name());
                } while (Accept(","));
                if (Accept(")") && Accept("->")) return true;
            } else if (Accept("->")) {
                return true;
            }
        }
        pos = saved;
        params.clear();
        return false;
    }

    ExprPtr Expression() {
        std::vector<std::string> params;
        if (LambdaHead(params)) {
            auto lambda = std::make_shared<Expr>();
            lambda->kind = Expr::Kind::kLambda;
            lambda->names = std::move(params);
            lambda->parts.push_back(Expression());
            return lambda;
        }
        return Comparison();
    }

    ExprPtr Comparison() {
        ExprPtr left = Additive();
        for (std::string_view op : {"==", "!=", "<=", ">=", "<", ">"})
            if (Accept(op)) return Make(Expr::Kind::kBinary, std::string(op), {left, Additive()});
        return left;
    }

    ExprPtr Additive() {
        ExprPtr left = Term();
        for (;;) {
            if (Peek("->")) return left;
            std::string op = Accept("+") ? "+" : Accept("-") ? "-" : "";
            if (op.empty()) return left;
            left = Make(Expr::Kind::kBinary, op, {left, Term()});
        }
    }

    ExprPtr Term() {
        ExprPtr left = Unary();
        for (;;) {
            std::string op = Accept("*") ? "*" : Accept("/") ? "/" : Accept("%") ? "%" : "";
            if (op.empty()) return left;
            left = Make(Expr::Kind::kBinary, op, {left, Unary()});
        }
    }

    ExprPtr Unary() {
        if (Accept("-")) {
            if (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
                return Postfix(Number(true));  // -9223372036854775808 is a literal
            return Make(Expr::Kind::kNegate, "-", {Unary()});
        }
        return Postfix(Primary());
    }

    ExprPtr Postfix(ExprPtr expr) {
        for (;;) {
            if (Accept("[")) {
                expr = Make(Expr::Kind::kIndex, "[]", {expr, Expression()});
                Expect("]");
            } else {
                return expr;
            }
        }
    }

    std::vector<ExprPtr> List(std::string_view close) {
        std::vector<ExprPtr> items;
        if (Accept(close)) return items;
        do items.push_back(Expression());
        while (Accept(","));
        Expect(close);
        return items;
    }

    ExprPtr Primary() {
        Blank();
        if (pos >= text.size()) Fail("the expression ends too early");
        char c = text[pos];
        if (std::isdigit(static_cast<unsigned char>(c))) return Number(false);
        if (c == '\'' || c == '"') return StringLiteral();
        if (Accept("(")) {
            ExprPtr inner = Expression();
            Expect(")");
            return inner;
        }
        if (Accept("[")) return Make(Expr::Kind::kArray, "", List("]"));
        if (Accept("{")) {
            auto record = std::make_shared<Expr>();
            record->kind = Expr::Kind::kRecord;
            if (!Accept("}")) {
                do {
                    record->names.push_back(Name());
                    Expect(":");
                    record->parts.push_back(Expression());
                } while (Accept(","));
                Expect("}");
            }
            return record;
        }
        if (IsNameStart(c)) {
            std::string name = Name();
            if (name == "true" || name == "false") return Literal(Value{name == "true"});
            if (Accept("(")) return Make(Expr::Kind::kCall, name, List(")"));
            return Make(Expr::Kind::kVariable, name);
        }
        Fail("unexpected '" + std::string(1, c) + "'");
    }

    static ExprPtr Literal(Value value) {
        auto expr = std::make_shared<Expr>();
        expr->kind = Expr::Kind::kLiteral;
        expr->literal = std::move(value);
        return expr;
    }

    // Int: digits. Float: digits with a '.' (digits after it optional) or an exponent.
    ExprPtr Number(bool negative) {
        std::size_t start = pos;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos;
        bool isFloat = false;
        if (pos < text.size() && text[pos] == '.') {
            isFloat = true;
            ++pos;
            while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos;
        }
        if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
            std::size_t mark = pos++;
            if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
            if (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
                isFloat = true;
                while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos;
            } else {
                pos = mark;
            }
        }
        std::string digits(text.substr(start, pos - start));
        if (isFloat) {
            double value = std::strtod(digits.c_str(), nullptr);
            return Literal(Value{negative ? -value : value});
        }
        std::uint64_t magnitude = 0;
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
        std::uint64_t limit = negative ? (std::uint64_t{1} << 63) : (std::uint64_t{1} << 63) - 1;
        if (ec != std::errc() || magnitude > limit) Fail("the Int " + digits + " is out of range");
        return Literal(Value{static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude)});
    }

    // Quotes ' or "; escapes \' \" \\ \n \t and three octal digits.
    ExprPtr StringLiteral() {
        char quote = text[pos++];
        std::string bytes;
        for (;;) {
            if (pos >= text.size()) Fail("the string has no closing quote");
            char c = text[pos++];
            if (c == quote) break;
            if (c != '\\') {
                bytes += c;
                continue;
            }
            if (pos >= text.size()) Fail("the string ends in an escape");
            char e = text[pos++];
            if (e >= '0' && e <= '7') {
                int code = e - '0';
                for (int i = 0; i < 2 && pos < text.size() && text[pos] >= '0' && text[pos] <= '7'; ++i)
                    code = code * 8 + (text[pos++] - '0');
                bytes += static_cast<char>(code);
            } else if (e == 'n') {
                bytes += '\n';
            } else if (e == 't') {
                bytes += '\t';
            } else {
                bytes += e;  // \' \" \\ and any other character stand for themselves
            }
        }
        return Literal(Value{std::move(bytes)});
    }
};

using Array = std::shared_ptr<ArrayValue>;

std::int64_t IntOf(const Value& value, const char* what) {
    if (!value.Is<std::int64_t>()) throw EvalError(std::string(what) + " must be an Int, not " + KindName(value));
    return value.As<std::int64_t>();
}

bool Equal(const Value& a, const Value& b) {
    if (a.data.index() != b.data.index())
        throw EvalError("cannot compare " + KindName(a) + " with " + KindName(b));
    if (a.Is<Array>()) {
        const auto& x = a.As<Array>()->items;
        const auto& y = b.As<Array>()->items;
        if (x.size() != y.size()) return false;
        for (std::size_t i = 0; i < x.size(); ++i)
            if (!Equal(x[i], y[i])) return false;
        return true;
    }
    if (a.Is<std::shared_ptr<RecordValue>>()) {
        const auto& x = *a.As<std::shared_ptr<RecordValue>>();
        const auto& y = *b.As<std::shared_ptr<RecordValue>>();
        if (x.names != y.names) return false;
        for (std::size_t i = 0; i < x.values.size(); ++i)
            if (!Equal(x.values[i], y.values[i])) return false;
        return true;
    }
    if (a.Is<std::shared_ptr<OpaqueValue>>())
        return a.As<std::shared_ptr<OpaqueValue>>() == b.As<std::shared_ptr<OpaqueValue>>();
    if (a.Is<std::shared_ptr<FunctionValue>>()) throw EvalError("functions cannot be compared");
    return a.data == b.data;  // NaN equals nothing, itself included
}

Value Arithmetic(const std::string& op, const Value& a, const Value& b) {
    if (a.Is<std::int64_t>() && b.Is<std::int64_t>()) {
        // Int arithmetic wraps around in 64 bits.
        auto x = static_cast<std::uint64_t>(a.As<std::int64_t>());
        auto y = static_cast<std::uint64_t>(b.As<std::int64_t>());
        std::int64_t sx = a.As<std::int64_t>(), sy = b.As<std::int64_t>();
        if (op == "+") return {static_cast<std::int64_t>(x + y)};
        if (op == "-") return {static_cast<std::int64_t>(x - y)};
        if (op == "*") return {static_cast<std::int64_t>(x * y)};
        if (sy == 0) throw EvalError("division by zero");
        if (sy == -1) return {op == "/" ? static_cast<std::int64_t>(0 - x) : std::int64_t{0}};
        return {op == "/" ? sx / sy : sx % sy};
    }
    if (a.Is<double>() && b.Is<double>()) {
        double x = a.As<double>(), y = b.As<double>();
        if (op == "+") return {x + y};
        if (op == "-") return {x - y};
        if (op == "*") return {x * y};
        if (op == "/") return {x / y};
    }
    if (op == "+" && a.Is<std::string>() && b.Is<std::string>()) return {a.As<std::string>() + b.As<std::string>()};
    throw EvalError("cannot apply '" + op + "' to " + KindName(a) + " and " + KindName(b));
}

Value Order(const std::string& op, const Value& a, const Value& b) {
    int order;
    if (a.Is<std::int64_t>() && b.Is<std::int64_t>())
        order = (a.As<std::int64_t>() > b.As<std::int64_t>()) - (a.As<std::int64_t>() < b.As<std::int64_t>());
    else if (a.Is<double>() && b.Is<double>()) {
        double x = a.As<double>(), y = b.As<double>();
        if (x != x || y != y) return {false};
        order = (x > y) - (x < y);
    } else if (a.Is<std::string>() && b.Is<std::string>())
        order = a.As<std::string>().compare(b.As<std::string>());
    else
        throw EvalError("cannot order " + KindName(a) + " and " + KindName(b));
    if (op == "<") return {order < 0};
    if (op == ">") return {order > 0};
    if (op == "<=") return {order <= 0};
    return {order >= 0};
}

const Value* Lookup(const std::shared_ptr<const Env>& env, const std::string& name) {
    for (const Env* e = env.get(); e; e = e->next.get())
        if (e->name == name) return &e->value;
    return nullptr;
}

Value CallBuiltin(const std::string& name, std::vector<Value>& args, RowCaller& rows) {
    if (name == "len") {
        if (args.size() != 1) throw EvalError("len takes one argument");
        if (args[0].Is<Array>()) return {static_cast<std::int64_t>(args[0].As<Array>()->items.size())};
        if (args[0].Is<std::string>()) return {static_cast<std::int64_t>(args[0].As<std::string>().size())};
        throw EvalError("len of " + KindName(args[0]));
    }
    // map(a, f)
    if (args.size() != 2 || !args[0].Is<Array>() || !args[1].Is<std::shared_ptr<FunctionValue>>())
        throw EvalError("map takes an array and a function");
    Array source = args[0].As<Array>();
    auto function = args[1].As<std::shared_ptr<FunctionValue>>();
    args.clear();
    std::vector<Value> out;
    out.reserve(source->items.size());
    for (const Value& item : source->items) out.push_back(Apply(*function, {item}, rows));
    return Value::Array(std::move(out));
}

}  // namespace

ExprPtr ParseExpression(std::string_view text) { return Parser(text).Whole(); }

Value Apply(const FunctionValue& function, std::vector<Value> args, RowCaller& rows) {
    if (args.size() != function.params.size())
        throw EvalError("a function of " + std::to_string(function.params.size()) + " parameters was given " +
                        std::to_string(args.size()) + " arguments");
    std::shared_ptr<const Env> env = function.env;
    for (std::size_t i = 0; i < args.size(); ++i)
        env = std::make_shared<const Env>(Env{function.params[i], std::move(args[i]), env});
    return Evaluate(*function.body, env, rows);
}

Value Evaluate(const Expr& expr, const std::shared_ptr<const Env>& env, RowCaller& rows) {
    auto eval = [&](std::size_t i) { return Evaluate(*expr.parts[i], env, rows); };
    switch (expr.kind) {
    case Expr::Kind::kLiteral:
        return expr.literal;
    case Expr::Kind::kVariable:
        if (const Value* value = Lookup(env, expr.name)) return *value;
        throw EvalError("no variable is named '" + expr.name + "'");
    case Expr::Kind::kCall: {
        std::vector<Value> args;
        for (std::size_t i = 0; i < expr.parts.size(); ++i) args.push_back(eval(i));
        if (const Value* value = Lookup(env, expr.name)) {
            if (!value->Is<std::shared_ptr<FunctionValue>>()) throw EvalError("'" + expr.name + "' is not a function");
            return Apply(*value->As<std::shared_ptr<FunctionValue>>(), std::move(args), rows);
        }
        if (expr.name == "map" || expr.name == "len") return CallBuiltin(expr.name, args, rows);
        if (!rows.HasRow(expr.name)) throw EvalError("no function is named '" + expr.name + "'");
        return rows.CallRow(expr.name, args);  // the arguments go when the call has returned
    }
    case Expr::Kind::kArray: {
        std::vector<Value> items;
        for (std::size_t i = 0; i < expr.parts.size(); ++i) items.push_back(eval(i));
        return Value::Array(std::move(items));
    }
    case Expr::Kind::kRecord: {
        // A record lists its attributes in name order, the order of a names table's indices.
        std::vector<std::size_t> order(expr.names.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(), [&](auto a, auto b) { return expr.names[a] < expr.names[b]; });
        auto record = std::make_shared<RecordValue>();
        for (std::size_t i : order) {
            if (!record->names.empty() && record->names.back() == expr.names[i])
                throw EvalError("the record names '" + expr.names[i] + "' twice");
            record->names.push_back(expr.names[i]);
            record->values.push_back(eval(i));
        }
        return {record};
    }
    case Expr::Kind::kLambda:
        return {std::make_shared<FunctionValue>(FunctionValue{expr.names, expr.parts[0], env})};
    case Expr::Kind::kIndex: {
        Value array = eval(0);
        std::int64_t index = IntOf(eval(1), "an index");
        if (!array.Is<Array>()) throw EvalError("cannot index " + KindName(array));
        const auto& items = array.As<Array>()->items;
        if (index < 0 || static_cast<std::uint64_t>(index) >= items.size())
            throw EvalError("index " + std::to_string(index) + " is outside the array of " +
                            std::to_string(items.size()));
        return items[static_cast<std::size_t>(index)];
    }
    case Expr::Kind::kNegate: {
        Value operand = eval(0);
        if (operand.Is<double>()) return {-operand.As<double>()};
        return {static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(IntOf(operand, "a negated value")))};
    }
    case Expr::Kind::kBinary: {
        Value left = eval(0);
        Value right = eval(1);
        if (expr.name == "==") return {Equal(left, right)};
        if (expr.name == "!=") return {!Equal(left, right)};
        if (expr.name.size() <= 2 && (expr.name[0] == '<' || expr.name[0] == '>')) return Order(expr.name, left, right);
        return Arithmetic(expr.name, left, right);
    }
    }
    throw EvalError("unknown expression");
}

}  // namespace smallhost
