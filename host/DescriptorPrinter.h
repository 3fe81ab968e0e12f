// Renders a library descriptor as the host sees it: the version records, the custom types and
// every function row (name, adapter address, type string, description), each type string
// parsed again with the host's own parser and shown in its canonical form.
#pragma once

#include <ostream>

#include "hostabi/LibraryDescriptor.h"

namespace quon_host {

// False when a row's type string does not parse (the reason is printed under the row).
bool PrintDescriptor(std::ostream& out, const QUON_ExternLib::LibraryDescriptor& descriptor);

}  // namespace quon_host
