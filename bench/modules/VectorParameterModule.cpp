// An extension library with one Int array summed through two parameter types: a view of the
// host's array in place, and a std::vector<std::int64_t> copied from it for the call.
#include <cstdint>
#include <vector>

#include "interface/QuonExtension.h"

namespace {

// Wrapping 64-bit sums, the same loop over both.
template <class Values>
std::int64_t Sum(const Values& values) {
    std::uint64_t sum = 0;
    for (long long value : values) sum += static_cast<std::uint64_t>(value);
    return static_cast<std::int64_t>(sum);
}

std::int64_t SumView(QUON_ExternLib::ArrayView<long long> values) {
    return Sum(values);
}
std::int64_t SumVector(std::vector<std::int64_t> values) {
    return Sum(values);
}

}  // namespace

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    library.Name("VectorParameter", zul::VersionInfo(1, 0, 0, ""));
    library.Add<&SumView>("sumView", "ArrayView<long long>");
    library.Add<&SumVector>("sumVector", "std::vector<std::int64_t>");
}
