// `quon-host type 'TEXT'...`: parses each type string with the host's own copy of the
// runtime and prints its canonical form and predicates, so extension authors can check the
// type strings they publish.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "datatypes/DataType.h"

namespace quon_host {

// Parses a type string with the host's parser. Empty, with `error` set, when the text is not a
// type or a part of it failed to parse (the parser then stands in Undefined for that part).
std::optional<QUON_DataTypes::DataType> ParseTypeText(const char* text, std::string& error);

// Returns the exit status: 0 when every text parsed, 1 otherwise (2 without any text).
int RunTypeCommand(int count, const char* const* texts, std::ostream& out, std::ostream& err);

}  // namespace quon_host
