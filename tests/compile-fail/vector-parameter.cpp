// A std::vector is a result only; an array argument is viewed in place.
// expect: parameter 1 has a type without an argument rule
#include <vector>

#include "interface/QuonExtension.h"

double Sum(std::vector<double> values) {
    double sum = 0;
    for (double value : values) sum += value;
    return sum;
}

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&Sum>("sum", "...");
}
