#include "quon-host/expr/Lexer.h"

#include <cstdint>
#include <cstdio>

#include "quon-host/expr/ExprError.h"

namespace quon_host::expr {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsNameChar(char c) {
    return IsNameStart(c) || IsDigit(c);
}
bool IsOctal(char c) {
    return c >= '0' && c <= '7';
}

// A character for a message: itself when printable, else \xNN.
std::string Shown(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) return std::string(1, c);
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02x", byte);
    return hex;
}

class Lexer {
public:
    explicit Lexer(std::string_view text) : text(text) {}

    std::vector<Token> Run() {
        std::vector<Token> tokens;
        for (;;) {
            SkipBlanksAndComments();
            if (at == text.size()) break;
            tokens.push_back(Next());
        }
        tokens.push_back({Token::Kind::End, "", at + 1});
        return tokens;
    }

private:
    std::string_view text;
    std::size_t at = 0;

    // Blanks, and '#' comments to the end of their line.
    void SkipBlanksAndComments() {
        while (at < text.size()) {
            const char c = text[at];
            if (c == '#') {
                while (at < text.size() && text[at] != '\n') ++at;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++at;
            } else {
                return;
            }
        }
    }

    char Peek(std::size_t ahead = 0) const { return at + ahead < text.size() ? text[at + ahead] : '\0'; }

    Token Next() {
        const char c = text[at];
        if (IsDigit(c)) return Number();
        if (c == '\'' || c == '"') return String(c);
        if (IsNameStart(c)) return Name();
        return Symbol();
    }

    // digits [. digits*] [e [+-] digits [.]]; the point after an exponent is the printer's.
    Token Number() {
        const std::size_t start = at;
        bool isFloat = false;
        while (IsDigit(Peek())) ++at;
        if (Peek() == '.') {
            isFloat = true;
            ++at;
            while (IsDigit(Peek())) ++at;
        }
        if (Peek() == 'e' || Peek() == 'E') {
            const std::size_t sign = Peek(1) == '+' || Peek(1) == '-' ? 1 : 0;
            if (!IsDigit(Peek(1 + sign))) throw ExprError("malformed number", start + 1);
            at += 1 + sign;
            while (IsDigit(Peek())) ++at;
            if (!isFloat && Peek() == '.') ++at;
            isFloat = true;
        }
        if (IsNameChar(Peek()) || Peek() == '.') throw ExprError("malformed number", start + 1);
        std::string digits(text.substr(start, at - start));
        if (digits.back() == '.' && digits.find_first_of("eE") != std::string::npos) digits.pop_back();
        return {isFloat ? Token::Kind::Float : Token::Kind::Int, digits, start + 1};
    }

    Token String(char quote) {
        const std::size_t start = at++;
        std::string bytes;
        for (;;) {
            if (at == text.size()) throw ExprError("unterminated string", start + 1);
            const char c = text[at++];
            if (c == quote) break;
            if (c != '\\') {
                bytes += c;
                continue;
            }
            if (at == text.size()) throw ExprError("unterminated string", start + 1);
            const std::size_t escape = at;
            const char e = text[at++];
            switch (e) {
                case '\\':
                case '\'':
                case '"':
                    bytes += e;
                    break;
                case 'n':
                    bytes += '\n';
                    break;
                case 't':
                    bytes += '\t';
                    break;
                case 'r':
                    bytes += '\r';
                    break;
                default: {
                    if (!IsOctal(e)) throw ExprError("unknown escape '\\" + Shown(e) + "'", escape);
                    unsigned value = static_cast<unsigned>(e - '0');
                    for (int digits = 1; digits < 3 && IsOctal(Peek()); ++digits)
                        value = value * 8 + static_cast<unsigned>(text[at++] - '0');
                    if (value > 0377) throw ExprError("octal escape above \\377", escape);
                    bytes += static_cast<char>(value);
                }
            }
        }
        return {Token::Kind::String, bytes, start + 1};
    }

    // A name; nan and inf (with the printer's point, if any) are Float literals.
    Token Name() {
        const std::size_t start = at;
        while (IsNameChar(Peek())) ++at;
        std::string name(text.substr(start, at - start));
        if (name == "nan" || name == "inf") {
            if (Peek() == '.') ++at;
            return {Token::Kind::Float, name, start + 1};
        }
        return {Token::Kind::Name, name, start + 1};
    }

    Token Symbol() {
        const std::size_t start = at;
        static constexpr std::string_view kPairs[] = {"->", "==", "!=", "<=", ">="};
        for (std::string_view pair : kPairs)
            if (text.substr(at, 2) == pair) {
                at += 2;
                return {Token::Kind::Symbol, std::string(pair), start + 1};
            }
        const char c = text[at];
        if (std::string_view("()[]{},:+-*/%<>").find(c) == std::string_view::npos)
            throw ExprError("unexpected character '" + Shown(c) + "'", start + 1);
        ++at;
        return {Token::Kind::Symbol, std::string(1, c), start + 1};
    }
};

}  // namespace

std::vector<Token> Tokenize(std::string_view text) {
    return Lexer(text).Run();
}

}  // namespace quon_host::expr
