// Renders a library descriptor as the host sees it.
#pragma once

#include <ostream>

#include "hostabi/LibraryDescriptor.h"

namespace quon_host {

void PrintDescriptor(std::ostream& out, const QUON_ExternLib::LibraryDescriptor& descriptor);

}  // namespace quon_host
