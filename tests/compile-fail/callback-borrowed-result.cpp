// A callback's result is released when the callback returns: a borrowed text cannot come back.
// expect: parameter 1 is a callback whose types cannot cross
#include <functional>

#include "interface/QuonExtension.h"

std::int64_t Length(std::function<const char*(int)> f) {
    return static_cast<std::int64_t>(std::strlen(f(1)));
}

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&Length>("length", "...");
}
