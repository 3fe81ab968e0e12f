#include "quon-host/expr/Parser.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "quon-host/expr/ExprError.h"
#include "quon-host/expr/Lexer.h"

namespace quon_host::expr {

Node::~Node() {
    // Children that only this node holds are taken apart here, one at a time, each left without
    // children before it ends; shared ones (a lambda's body kept by its value) are left to their
    // other owners.
    std::vector<std::shared_ptr<const Node>> pending = std::move(children);
    while (!pending.empty()) {
        std::shared_ptr<const Node> node = std::move(pending.back());
        pending.pop_back();
        if (node != nullptr && node.use_count() == 1) {
            auto& below = const_cast<Node&>(*node).children;
            for (auto& child : below) pending.push_back(std::move(child));
            below.clear();
        }
    }
}


namespace {

using Kind = Node::Kind;

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens(std::move(tokens)) {}

    NodePtr Whole() {
        NodePtr node = Expression();
        if (Current().kind != Token::Kind::End) Fail("unexpected " + Describe(Current()));
        return node;
    }

private:
    std::vector<Token> tokens;
    std::size_t at = 0;
    std::size_t depth = 0;

    // Counts one level of nesting for as long as it lives.
    struct Level {
        explicit Level(Parser& parser) : parser(parser) {
            if (++parser.depth > kMaxDepth)
                throw ExprError("nesting deeper than " + std::to_string(kMaxDepth) + " levels",
                                parser.Current().column);
        }
        ~Level() { --parser.depth; }
        Parser& parser;
    };

    const Token& Current() const { return tokens[at]; }
    const Token& Ahead(std::size_t n) const { return tokens[std::min(at + n, tokens.size() - 1)]; }
    bool IsSymbol(const Token& token, std::string_view symbol) const {
        return token.kind == Token::Kind::Symbol && token.text == symbol;
    }
    bool At(std::string_view symbol) const { return IsSymbol(Current(), symbol); }
    bool Accept(std::string_view symbol) {
        if (!At(symbol)) return false;
        ++at;
        return true;
    }
    static std::string Describe(const Token& token) {
        switch (token.kind) {
            case Token::Kind::End:
                return "end of input";
            case Token::Kind::String:
                return "string";
            default:
                return "'" + token.text + "'";
        }
    }
    [[noreturn]] void Fail(const std::string& what) const { throw ExprError(what, Current().column); }
    void Expect(std::string_view symbol) {
        if (!Accept(symbol)) Fail("expected '" + std::string(symbol) + "', found " + Describe(Current()));
    }
    std::string ExpectName(const char* what) {
        if (Current().kind != Token::Kind::Name) Fail(std::string("expected ") + what);
        return tokens[at++].text;
    }

    static NodePtr Make(Kind kind, std::size_t column, std::string name = {},
                        std::vector<NodePtr> children = {}) {
        auto node = std::make_shared<Node>();
        node->kind = kind;
        node->column = column;
        node->name = std::move(name);
        node->children = std::move(children);
        return node;
    }
    static NodePtr Literal(Value value, std::size_t column) {
        auto node = std::make_shared<Node>();
        node->kind = Kind::Literal;
        node->column = column;
        node->value = std::move(value);
        return node;
    }

    // name -> or ( names ) ->
    bool AtLambda() const {
        if (Current().kind == Token::Kind::Name) return IsSymbol(Ahead(1), "->");
        if (!At("(")) return false;
        std::size_t n = 1;  // the token after '('
        if (Ahead(n).kind == Token::Kind::Name) {
            while (IsSymbol(Ahead(n + 1), ",") && Ahead(n + 2).kind == Token::Kind::Name) n += 2;
            ++n;
        }
        return IsSymbol(Ahead(n), ")") && IsSymbol(Ahead(n + 1), "->");
    }

    NodePtr Expression() {
        Level level(*this);
        if (!AtLambda()) return Comparison();
        auto lambda = std::make_shared<Node>();
        lambda->kind = Kind::Lambda;
        lambda->column = Current().column;
        if (Accept("(")) {
            if (!At(")")) do
                    lambda->names.push_back(ExpectName("a parameter name"));
                while (Accept(","));
            Expect(")");
        } else {
            lambda->names.push_back(ExpectName("a parameter name"));
        }
        Expect("->");
        lambda->children.push_back(Expression());
        return lambda;
    }

    NodePtr Comparison() {
        NodePtr left = Sum();
        for (const char* op : {"==", "!=", "<=", ">=", "<", ">"})
            if (At(op)) {
                const std::size_t column = Current().column;
                ++at;
                return Make(Kind::Binary, column, op, {left, Sum()});
            }
        return left;
    }

    NodePtr Sum() {
        NodePtr left = Product();
        while (At("+") || At("-")) {
            const Token& op = tokens[at++];
            left = Make(Kind::Binary, op.column, op.text, {left, Product()});
        }
        return left;
    }

    NodePtr Product() {
        NodePtr left = Unary();
        while (At("*") || At("/") || At("%")) {
            const Token& op = tokens[at++];
            left = Make(Kind::Binary, op.column, op.text, {left, Unary()});
        }
        return left;
    }

    NodePtr Unary() {
        if (!At("-")) return Postfix();
        const std::size_t column = Current().column;
        ++at;
        if (Current().kind == Token::Kind::Int || Current().kind == Token::Kind::Float)
            return Postfix(Number(true, column));
        Level level(*this);
        return Make(Kind::Unary, column, "-", {Unary()});
    }

    NodePtr Postfix(NodePtr node = nullptr) {
        if (node == nullptr) node = Primary();
        while (At("[")) {
            const std::size_t column = Current().column;
            ++at;
            NodePtr index = Expression();
            Expect("]");
            node = Make(Kind::Index, column, "", {node, index});
        }
        return node;
    }

    // The current number token, negated when a '-' at `column` came before it.
    NodePtr Number(bool negative, std::size_t column) {
        const Token& token = tokens[at++];
        const std::string text = (negative ? "-" : "") + token.text;
        if (token.kind == Token::Kind::Int) {
            std::int64_t value = 0;
            const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
            if (result.ec != std::errc() || result.ptr != text.data() + text.size())
                throw ExprError("integer " + text + " does not fit in 64 bits", column);
            return Literal(Value::Int(value), column);
        }
        double value = 0;
        if (token.text == "nan")
            value = std::numeric_limits<double>::quiet_NaN();
        else if (token.text == "inf")
            value = std::numeric_limits<double>::infinity();
        else if (const auto result =
                     std::from_chars(token.text.data(), token.text.data() + token.text.size(), value);
                 result.ec != std::errc() || result.ptr != token.text.data() + token.text.size())
            throw ExprError("number " + text + " is out of a Float's range", column);
        return Literal(Value::Float(negative ? -value : value), column);
    }

    std::vector<NodePtr> List(std::string_view close) {
        std::vector<NodePtr> items;
        if (!At(close)) do
                items.push_back(Expression());
            while (Accept(","));
        Expect(close);
        return items;
    }

    NodePtr Primary() {
        const Token& token = Current();
        const std::size_t column = token.column;
        switch (token.kind) {
            case Token::Kind::Int:
            case Token::Kind::Float:
                return Number(false, column);
            case Token::Kind::String:
                ++at;
                return Literal(Value::String(token.text), column);
            case Token::Kind::Name: {
                ++at;
                if (token.text == "true" || token.text == "false")
                    return Literal(Value::Bool(token.text == "true"), column);
                if (!Accept("(")) return Make(Kind::Name, column, token.text);
                return Make(Kind::Call, column, token.text, List(")"));
            }
            case Token::Kind::Symbol:
                if (Accept("[")) return Make(Kind::Array, column, "", List("]"));
                if (Accept("{")) return Record(column);
                if (Accept("(")) {
                    NodePtr inner = Expression();
                    Expect(")");
                    return inner;
                }
                break;
            case Token::Kind::End:
                break;
        }
        Fail("expected a value, found " + Describe(token));
    }

    NodePtr Record(std::size_t column) {
        auto record = std::make_shared<Node>();
        record->kind = Kind::Record;
        record->column = column;
        if (!At("}")) do {
                record->names.push_back(ExpectName("an attribute name"));
                Expect(":");
                record->children.push_back(Expression());
            } while (Accept(","));
        Expect("}");
        return record;
    }
};

}  // namespace

NodePtr Parse(std::string_view text) {
    if (text.size() > kMaxLength)
        throw ExprError("expression longer than " + std::to_string(kMaxLength) + " characters");
    return Parser(Tokenize(text)).Whole();
}

}  // namespace quon_host::expr
