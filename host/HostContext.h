// The stand-in host's operation table, handed to the library by BindToParentContext.
#pragma once

#include "hostabi/ParentContext.h"

namespace quon_host {

// The process-wide table; every entry is filled.
ParentContext* HostContext();

}  // namespace quon_host
