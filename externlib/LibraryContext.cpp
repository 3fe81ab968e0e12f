#include "externlib/LibraryContext.h"

namespace QUON_ExternLib {

constinit ParentContext* theOwnTable = nullptr;
constinit LibraryContext theLibraryContext{&theOwnTable};

}  // namespace QUON_ExternLib
