// An expression the host's expression language refuses: a parse error or a failed evaluation step.
// The text says what went wrong and, where a position applies, at which column (from 1).
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace quon_host::expr {

class ExprError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    // "<what> at column <column>"
    ExprError(const std::string& what, std::size_t column)
        : std::runtime_error(what + " at column " + std::to_string(column)), column(column), bare(what) {}

    std::size_t column = 0;  // where, from 1; 0 when no position applies
    std::string bare;        // the text without " at column N"
};

}  // namespace quon_host::expr
