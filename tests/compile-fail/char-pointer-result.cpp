// A const char* result would point at text that ends with the call.
// expect: the result is a const char*: return std::string
#include "interface/QuonExtension.h"

const char* Name(std::int64_t) {
    return "name";
}

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&Name>("name", "...");
}
