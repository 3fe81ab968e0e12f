// `quon-host type 'TEXT'...`: parses each type string with the host's own copy of the runtime's
// parser and prints its canonical form and predicates, so extension authors can check the type
// strings they publish. Stricter than the parser's callers: text after the type and a record
// type that repeats an attribute name are refused, naming the column.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace quon_host {

// Returns the exit status: 0 when every text is a type, 1 otherwise.
int RunTypeCommand(const std::vector<std::string>& texts, std::ostream& out, std::ostream& err);

}  // namespace quon_host
