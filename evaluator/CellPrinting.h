// The printed forms of cells that are not plain values: escaped and quoted string texts, the
// abbreviated short form of long strings, and the generic text of a cell without a value form.
#pragma once

#include <cstdint>
#include <string_view>

#include "strings/tString.h"

namespace QUON_Evaluator {

// Strings longer than this are abbreviated: the first kShortHead bytes, " ... ", the last
// kShortTail bytes, and a " (len=N)" suffix.
inline constexpr std::size_t kShortLimit = 50;
inline constexpr std::size_t kShortHead = 30;
inline constexpr std::size_t kShortTail = 10;

// Each byte below 0x20 or from 0x80 up becomes a backslash and three octal digits; the double
// quote, the single quote and the backslash get a backslash before them. The null string
// escapes to "NULL".
zul::zulStdString::tString EscapeText(const zul::zulStdString::tString& text);
// `quote`, the escaped text, `quote`.
zul::zulStdString::tString QuoteText(const zul::zulStdString::tString& text, char quote);
// The short form: abbreviated above kShortLimit bytes, quoted with ' when asked, then the
// length suffix when abbreviated.
zul::zulStdString::tString ShortText(const zul::zulStdString::tString& text, bool quoted);
// "*EvCell[<identity as unsigned decimal>:<payload as signed decimal>]*".
zul::zulStdString::tString GenericCellText(const void* identity, std::int64_t payload);

}  // namespace QUON_Evaluator
