// `quon-host type 'TEXT'...`: parses each type string with the host's own copy of the
// runtime and prints its canonical form and predicates, so extension authors can check the
// type strings they publish.
#pragma once

#include <ostream>

namespace quon_host {

// Returns the exit status: 0 when every text parsed, 1 otherwise (2 without any text).
int RunTypeCommand(int count, const char* const* texts, std::ostream& out, std::ostream& err);

}  // namespace quon_host
