// A float parameter has no argument rule: Int is 64-bit and Float is double.
// expect: parameter 2 has a type without an argument rule
#include "interface/QuonExtension.h"

double Scale(double x, float factor) {
    return x * factor;
}

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&Scale>("scale", "...");
}
