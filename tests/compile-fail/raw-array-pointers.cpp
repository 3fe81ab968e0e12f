// The runtime's array object is neither a parameter nor a result: one message for each.
// expect: parameter 1 is a raw array pointer: take ArrayView<E>
// expect: the result is a raw array pointer: return a NewArray<E>
#include "interface/QuonExtension.h"

using IntArray = QUON_Evaluator::fArrayOfPrimitiveValues<long long>;

IntArray* Id(IntArray* array) {
    return array;
}

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&Id>("id", "...");
}
