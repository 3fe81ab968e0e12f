// Renders a library's descriptor as the host sees it: the version records, the custom types and
// every function (name, adapter address, type string, description), with the canonical form of
// the type the host parsed from its type string.
#pragma once

#include <ostream>

#include "host/HostLibrary.h"

namespace quon_host {

// False when a row cannot be called: its type string is missing, does not parse or is not a function
// type (the reason is printed under the row).
bool PrintDescriptor(std::ostream& out, const HostLibrary& library);

// One function: its name, description, published and canonical type, parameter names where the
// library gives them. False when the row cannot be called.
bool PrintFunction(std::ostream& out, const HostLibrary::Row& row);

// The same as one JSON object, for tools and for an author's signature stubs: the library's name,
// interface, versions, custom types, and per function its name, description, published and
// canonical type text with its parameter and result types (null where the row cannot be called,
// and "error" saying why). False as above.
bool PrintDescriptorJson(std::ostream& out, const HostLibrary& library);

}  // namespace quon_host
