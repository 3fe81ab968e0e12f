// Returning an argument's view (or a row of a matrix argument) would own the host's array twice.
// expect: the result is an ArrayView, which borrows an argument
#include "interface/QuonExtension.h"

using namespace QUON_ExternLib;

ArrayView<long long> FirstRow(ArrayView<ArrayView<long long>> matrix) {
    return matrix[0];
}

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&FirstRow>("firstRow", "...");
}
