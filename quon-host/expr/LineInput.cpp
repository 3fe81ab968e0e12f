#include "quon-host/expr/LineInput.h"

#include <algorithm>
#include <string_view>

#include "quon-host/expr/ExprError.h"
#include "quon-host/expr/Lexer.h"

namespace quon_host::expr {

LineRead ReadLine(std::istream& in, std::string& line, std::size_t limit) {
    line.clear();
    std::streambuf* buffer = in.rdbuf();
    if (buffer == nullptr) return LineRead::kEnd;
    for (;;) {
        const int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            return line.empty() ? LineRead::kEnd : LineRead::kLine;
        }
        if (c == '\n') break;
        if (line.size() == limit) return LineRead::kTooLong;
        line.push_back(static_cast<char>(c));
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();  // a file with CRLF line ends
    return LineRead::kLine;
}

bool EntryBrackets::Unfinished(const std::string& line) {
    // Lines before this one left no string or comment open (a reader that reads on does so
    // only while the entry lexes), so the line's tokens are the entry's next tokens.
    try {
        for (const Token& token : Tokenize(line))
            if (token.kind == Token::Kind::Symbol && token.text.size() == 1) {
                if (std::string_view("([{").find(token.text[0]) != std::string_view::npos) ++open;
                if (std::string_view(")]}").find(token.text[0]) != std::string_view::npos) --open;
            }
    } catch (const ExprError&) {
        open = 0;
        return false;
    }
    if (open > 0) return true;
    open = 0;
    return false;
}

bool OnlyComment(std::string_view text) {
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::size_t first = text.find_first_not_of(" \t\r", start);
        if (first < end && text[first] != '#') return false;
        start = end + 1;
    }
    return true;
}

}  // namespace quon_host::expr
