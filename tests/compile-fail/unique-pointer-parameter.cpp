// The host keeps its objects: an argument is borrowed, never given to the library.
// expect: parameter 1 is a std::unique_ptr, but the host keeps its objects
#include <memory>

#include "interface/QuonExtension.h"

struct Counter {
    long long value;
};

long long Take(std::unique_ptr<Counter> counter) {
    return counter->value;
}

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.CustomType<Counter>(CustomTypeEntry{"Counter", nullptr, nullptr, nullptr, 0});
    library.Add<&Take>("take", "...");
}
