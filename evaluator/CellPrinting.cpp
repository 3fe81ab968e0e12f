#include "evaluator/CellPrinting.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace QUON_Evaluator {

using zul::zulStdString::tString;

namespace {

void AppendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x80) {
            const char octal[4] = {'\\', static_cast<char>('0' + (byte >> 6)),
                                   static_cast<char>('0' + ((byte >> 3) & 7)),
                                   static_cast<char>('0' + (byte & 7))};
            out.append(octal, 4);
        } else if (c == '"' || c == '\'' || c == '\\') {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
}

}  // namespace

tString EscapeText(const tString& text) {
    if (text.IsNull()) return tString("NULL");
    std::string out;
    out.reserve(text.size() + 8);
    AppendEscaped(out, text.Text());
    return tString(out);
}

tString QuoteText(const tString& text, char quote) {
    std::string out(1, quote);
    if (text.IsNull())
        out += "NULL";
    else
        AppendEscaped(out, text.Text());
    out += quote;
    return tString(out);
}

tString ShortText(const tString& text, bool quoted) {
    const std::size_t length = text.size();
    if (length <= kShortLimit) return quoted ? QuoteText(text, '\'') : text;
    const std::string_view whole = text.Text();
    std::string working;
    working.reserve(kShortHead + 5 + kShortTail);
    working.append(whole.substr(0, kShortHead)).append(" ... ").append(whole.substr(length - kShortTail));
    tString result = quoted ? QuoteText(tString(working), '\'') : tString(working);
    char suffix[32];
    const int n = std::snprintf(suffix, sizeof suffix, " (len=%zu)", length);
    return std::move(result.Append(suffix, static_cast<std::size_t>(n)));
}

tString GenericCellText(const void* identity, std::int64_t payload) {
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, "*EvCell[%ju:%jd]*",
                                static_cast<std::uintmax_t>(reinterpret_cast<std::uintptr_t>(identity)),
                                static_cast<std::intmax_t>(payload));
    return tString(buffer, static_cast<std::size_t>(n));
}

}  // namespace QUON_Evaluator
