// A bare pointer result says nothing of who owns the object: a std::unique_ptr gives it away.
// expect: the result is a bare pointer, which says nothing of who owns the object
// shows: pointer-result.cpp:17:
#include "interface/QuonExtension.h"

struct Counter {
    long long value;
};

Counter* Same(Counter* counter) {
    return counter;
}

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.CustomType<Counter>(CustomTypeEntry{"Counter", nullptr, nullptr, nullptr, 0});
    library.Add<&Same>("same", "...");
}
