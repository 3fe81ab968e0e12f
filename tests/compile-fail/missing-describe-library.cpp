// A library that forgets DescribeLibrary fails when it links, with a message that names it.
// link:
// expect: does not define void QUON_ExternLib::DescribeLibrary(LibraryBuilder&)
#include "interface/QuonExtension.h"

std::int64_t Answer() {
    return 42;
}
