#include "hostabi/LibraryContext.h"

namespace QUON_ExternLib {

constinit LibraryContext theLibraryContext{&theLibraryContext.ownTable};

}  // namespace QUON_ExternLib
