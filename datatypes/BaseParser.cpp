#include "datatypes/BaseParser.h"

#include <array>

namespace zul {

namespace {
constexpr std::array<bool, 256> kIdentifierBytes = [] {
    std::array<bool, 256> bytes{};
    for (int c = 0; c < 256; ++c) {
        bytes[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    }
    return bytes;
}();

bool IsIdentifierByte(char c) {
    return kIdentifierBytes[static_cast<unsigned char>(c)];
}
}  // namespace

void BaseParser::MoveBack() {
    if (!HasCurrent()) return;
    --cursor;
    if (*cursor == '\n') --line;
}

std::string_view BaseParser::ReadIdentifier() {
    if (!HasCurrent()) return std::string_view();
    const char* begin = cursor - 1;
    const char* end = begin;
    while (end < textEnd && IsIdentifierByte(*end)) ++end;
    if (end == begin) return std::string_view();
    // The byte after the run becomes current; at the text end the run's last byte stays so.
    if (end < textEnd) {
        cursor = end;
        Advance();
    } else {
        cursor = textEnd;
        endReached = true;
    }
    return std::string_view(begin, static_cast<std::size_t>(end - begin));
}

bool BaseParser::Expect(char c) {
    SkipBlanks();
    return CurrentIs(c);
}

}  // namespace zul
