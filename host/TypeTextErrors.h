// Type strings as the stand-in host reads them: parsed with the host's own copy of the runtime's
// parser, a part that failed counting as a failure of the whole.
#pragma once

#include <optional>
#include <string>

#include "datatypes/DataType.h"
#include "datatypes/DataTypeParser.h"

namespace quon_host {

// Parses a type string. Empty, with `error` set, when the text is not a type or a part of it failed
// to parse (the parser then stands in Undefined for that part). Text after the first complete type
// is ignored, as the parser's callers expect.
std::optional<QUON_DataTypes::DataType> ParseTypeText(const char* text, std::string& error);

// The parse of `parser`, or empty with `error` set, as ParseTypeText decides.
std::optional<QUON_DataTypes::DataType> ParsedType(QUON_DataTypes::DataTypeParser& parser,
                                                   std::string& error);

}  // namespace quon_host
