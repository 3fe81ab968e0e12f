// Lines read with a bound: a line longer than the bound is refused as soon as the bound is
// passed, so that an endless line (/dev/zero) never fills memory, and the rest of it is not read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

namespace quon_host::expr {

enum class LineRead {
    kLine,     // `line` holds the next line, without its "\n" (and without a "\r" before it)
    kEnd,      // the end of the input
    kTooLong,  // the line has more than `limit` bytes; `line` holds the first `limit`
};

LineRead ReadLine(std::istream& in, std::string& line, std::size_t limit);

// True when every line of the text is blank or a comment (# to its end): nothing to evaluate.
bool OnlyComment(std::string_view text);

// How deep the brackets of an entry read line by line are open, counted one line at a time (each
// line is tokenised once, not the whole entry again).
class EntryBrackets {
public:
    // Counts `line`'s brackets; true while the entry's brackets stay open (a reader reads on).
    // A line the lexer refuses ends the entry: evaluating it reports why.
    bool Unfinished(const std::string& line);

private:
    std::int64_t open = 0;
};

}  // namespace quon_host::expr
