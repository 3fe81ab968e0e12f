// An Int element is 64 bits: one message names the element types a view reads.
// expect: ArrayView<E> reads elements of type long long or long (Int), double (Float), tBaseString* (String)
#include <cstdint>

#include "interface/QuonExtension.h"

using QUON_ExternLib::ArrayView;

std::int64_t Sum(ArrayView<int> values) {
    std::int64_t sum = 0;
    for (int value : values) sum += value;
    return sum;
}

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&Sum>("sum", "...");
}
