// The faulty test build's wrong entries of the operation table (see host/HostFaults.h).
#pragma once

#if defined(QUON_HOST_FAULTS)

#include "hostabi/ParentContext.h"

namespace quon_host {

// Puts the chosen fault's wrong entries into the sound host's table; each calls the sound entry
// and then gets its part wrong.
void PlantTableFaults(ParentContext& table);

}  // namespace quon_host

#endif
