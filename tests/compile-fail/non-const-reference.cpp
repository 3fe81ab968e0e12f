// An argument is the caller's to keep: a non-const reference would change nothing the caller sees.
// expect: parameter 1 is a reference to a non-const value
// expect: parameter 2 is a reference to a non-const value
#include <cstdint>
#include <string>
#include <vector>

#include "interface/QuonExtension.h"

std::int64_t Fill(std::vector<std::int64_t>& values, std::string&& name);

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&Fill>("fill", "...");
}
