// Conversions between the primitive value kinds, free of undefined behaviour: out-of-range
// floats, NaN and overlong digit runs all have a defined result.
#pragma once

#include <cstdint>
#include <string_view>

#include "strings/tString.h"

namespace QUON_Evaluator {

// Truncation toward zero; outside the signed 64-bit range, and NaN, give INT64_MIN.
std::int64_t FloatToInteger(double value);
// The truncated value as an unsigned word: magnitude at least 1, and NaN, are non-zero.
std::uint64_t FloatToBool(double value);

// The leading decimal integer of `text` (up to its first NUL), as the "%lld" scan reads it:
// leading spaces, a sign, digits; 0 when nothing converts; saturated when out of range.
std::int64_t ScanInteger(const char* text);
// The leading floating-point number of `text`, as the "%lf" scan reads it; 0.0 when none.
double ScanFloat(const char* text);
// 1 for exactly "true" or "T", else 0.
std::uint64_t TextToBool(std::string_view text);

// Decimal text of a signed integer.
zul::zulStdString::tString IntegerText(std::int64_t value);
// The shortest text that reads back to the same double; with `forcePoint`, a '.' is
// appended when the text has none ("2.", "1e+20.", "inf.").
zul::zulStdString::tString FloatText(double value, bool forcePoint);

}  // namespace QUON_Evaluator
