// Strings are read as tBaseString* elements; a structure without a RecordBinding is no record.
// Each gives one message, the same one (and only declared functions: no definition needs the view).
// expect: ArrayView<E> reads elements of type long long or long (Int), double (Float), tBaseString* (String)
// expect: ArrayView<E> reads elements of type long long or long (Int), double (Float), tBaseString* (String)
#include <cstdint>
#include <string>

#include "interface/QuonExtension.h"

using QUON_ExternLib::ArrayView;

struct Person {
    std::int64_t age;
};

std::int64_t Count(ArrayView<std::string> values);
std::int64_t Ages(ArrayView<Person> people);

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("Case", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&Count>("count", "...");
    library.Add<&Ages>("ages", "...");
}
