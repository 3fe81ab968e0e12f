// A byte scanner with a one-byte look-behind, the base of the runtime's small parsers. The
// current character is the byte just before the cursor; there is none at the text start.
// The text is not copied and must outlive the parser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "strings/tString.h"

namespace zul {

class BaseParser {
public:
    // The message strings stay without a body until a step fails, so a successful parse
    // allocates nothing for them.
    BaseParser(const char* text, std::size_t length) noexcept
        : errorMessage(zulStdString::tString::Adopt(nullptr)),
          reserved(zulStdString::tString::Adopt(nullptr)),
          textStart(text),
          textLength(length),
          textEnd(text + length),
          cursor(text) {}
    BaseParser(const BaseParser&) = delete;
    BaseParser& operator=(const BaseParser&) = delete;
    virtual ~BaseParser() = default;

    // Why the last failing step failed; empty while nothing failed.
    const zulStdString::tString& ErrorMessage() const { return errorMessage; }
    std::uint32_t Line() const { return line; }
    std::size_t TextLength() const { return textLength; }
    // Bytes from the text's start that the parse has read; what follows them was not examined.
    std::size_t ReadLength() const {
        if (endReached) return textLength;
        return HasCurrent() ? static_cast<std::size_t>(cursor - 1 - textStart) : 0;
    }

protected:
    bool HasCurrent() const { return cursor > textStart && !passedEnd; }
    // The current character; call only when HasCurrent.
    char Current() const { return cursor[-1]; }
    bool AtEnd() const { return cursor >= textEnd; }
    bool CurrentIs(char c) const { return HasCurrent() && Current() == c; }

    // Makes the byte under the cursor current; false (nothing changes) at the text end.
    bool Advance() {
        if (cursor >= textEnd) {
            endReached = true;
            return false;
        }
        if (*cursor == '\n') ++line;
        ++cursor;
        return true;
    }
    // Advances past a closing byte. At the text end no byte follows it, and the closer must
    // not close a second construct: there is no current character afterwards.
    void AdvancePast() {
        if (!Advance()) passedEnd = true;
    }
    // Moves the cursor back over the current character.
    void MoveBack();
    // Bytes 1 to 32 are blank; NUL is not.
    static bool IsBlank(char c) { return c >= 1 && c <= 32; }
    // Advances while the current character is blank, stopping at the text end.
    void SkipBlanks() {
        while (HasCurrent() && IsBlank(Current())) {
            if (!Advance()) return;
        }
    }
    // The maximal run of [A-Za-z0-9_] starting at the current character; afterwards the current
    // character is the first byte after the run (at the text end, the run's last byte).
    std::string_view ReadIdentifier();
    // Skips blanks, then tests whether the current character is `c`.
    bool Expect(char c);
    void SetError(const char* message) { errorMessage = zulStdString::tString(message); }

private:
    zulStdString::tString errorMessage;  // the last failure's message, empty at the start
    zulStdString::tString reserved;      // kept for parsers that report a second text
    const char* textStart;               // the input, not owned
    std::size_t textLength;              // its length in bytes
    const char* textEnd;                 // textStart + textLength
    const char* cursor;                  // the next byte to read
    std::uint32_t line = 0;              // newlines the cursor has moved over
    bool passedEnd = false;              // the last byte was consumed as a closer
    bool endReached = false;             // the last byte was read as part of the parse
};

}  // namespace zul
