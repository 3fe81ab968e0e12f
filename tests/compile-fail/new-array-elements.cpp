// A NewArray is filled through the host's setters for Ints, Floats, Strings and rows; Bools and
// records go into a std::vector result, one message says so.
// expect: NewArray<E> holds elements of type long long or long (Int), double (Float), tBaseString* (String)
#include <cstdint>

#include "interface/QuonExtension.h"

QUON_ExternLib::NewArray<bool> Flags(std::int64_t count);

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&Flags>("flags", "...");
}
