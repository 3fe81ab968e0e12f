// The tokens of the host's expression language, cut from one line of text:
//
//   numbers   42  -7 (a '-' token, then 7)  1.5  2.  1e+20  1e+20.  nan  inf  nan.  inf.
//   strings   'it\'s' or "it's"  with \\ \' \" \n \t \r and octal escapes \0 .. \377 (the printer's \012)
//   comments  # to the end of the line
//   names     maxint  x  true  false
//   symbols   ( ) [ ] { } , : -> + - * / % == != < <= > >=
//
// Floats take the forms the cells' printer gives ("2." for 2.0, "1e+20." and "inf." with the
// forced point), so printed values read back as the same values.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quon_host::expr {

struct Token {
    enum class Kind { Int, Float, String, Name, Symbol, End };
    Kind kind;
    std::string text;    // digits of a number, decoded bytes of a string, a name or a symbol
    std::size_t column;  // where the token starts, from 1
};

// The whole text as tokens, the last one End. Throws ExprError for a character or literal that
// no token starts with or ends properly.
std::vector<Token> Tokenize(std::string_view text);

}  // namespace quon_host::expr
