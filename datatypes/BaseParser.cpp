#include "datatypes/BaseParser.h"

namespace zul {

namespace {
bool IsIdentifierByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
}  // namespace

bool BaseParser::Advance() {
    if (cursor >= textEnd) return false;
    if (*cursor == '\n') ++line;
    ++cursor;
    return true;
}

void BaseParser::MoveBack() {
    if (!HasCurrent()) return;
    --cursor;
    if (*cursor == '\n') --line;
}

void BaseParser::SkipBlanks() {
    while (HasCurrent() && IsBlank(Current())) {
        if (!Advance()) return;
    }
}

std::string_view BaseParser::ReadIdentifier() {
    if (!HasCurrent()) return std::string_view();
    const char* begin = cursor - 1;
    while (HasCurrent() && IsIdentifierByte(Current())) {
        if (!Advance()) return std::string_view(begin, static_cast<std::size_t>(cursor - begin));
    }
    return std::string_view(begin, static_cast<std::size_t>(cursor - 1 - begin));
}

bool BaseParser::Expect(char c) {
    SkipBlanks();
    return CurrentIs(c);
}

}  // namespace zul
