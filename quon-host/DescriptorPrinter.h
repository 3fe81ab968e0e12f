// Renders a library's descriptor as the host sees it: the version records, the custom types and
// every function (name, adapter address, type string, description), with the canonical form of
// the type the host parsed from its type string.
#pragma once

#include <ostream>

#include "host/HostLibrary.h"

namespace quon_host {

// False when a row's type string does not parse (the reason is printed under the row).
bool PrintDescriptor(std::ostream& out, const HostLibrary& library);

}  // namespace quon_host
