// Board files for `quon-host life --board`, in the three forms they come in: the tool's own lines
// of '.' (dead) and 'X' (alive), the plaintext form people share (.cells: '.' and 'O', '!' comment
// lines, short lines and empty lines padded with dead cells) and run-length encoding (.rle: '#'
// comment lines, a header "x = W, y = H, rule = R", then runs such as "bo$2bo$3o!").
#pragma once

#include <istream>
#include <string>

#include "quon-host/life/LifeBoard.h"

namespace quon_host {

struct BoardFile {
    LifeBoard board;
    std::string rule;  // as an RLE header writes it; empty when the file names none
};

// The board in `in`, whose file is called `name`. The form is chosen by the extension (.cells,
// .rle), else by the first line ('!' or a row with an 'O' is plaintext, '#' or an "x =" header is
// RLE, anything else the tool's own form). Blank lines at the end are no rows. Throws
// std::runtime_error "NAME:LINE: ..." for whatever does not read, and for boards of more than
// kMaxBoardSide rows or columns. Every line is read no further than a bound, so that an endless
// one (/dev/zero) is refused while it is read.
BoardFile ReadBoardFile(std::istream& in, const std::string& name);

// True when `rule` (B3/S23, b3s23, S23/B3 or the older 23/3 for survival/birth; a bounded grid
// such as ":T40,30" after it is ignored) is the same rule as `other`, written in any of these.
bool SameRule(const std::string& rule, const std::string& other);

// `board` in the middle of an otherwise dead width x height board. Throws std::runtime_error
// when it does not fit.
LifeBoard Centered(const LifeBoard& board, int width, int height);

}  // namespace quon_host
