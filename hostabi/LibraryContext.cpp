#include "hostabi/LibraryContext.h"

namespace QUON_ExternLib {

constinit LibraryContext theLibraryContext;

}  // namespace QUON_ExternLib
