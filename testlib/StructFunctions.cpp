#include "testlib/StructFunctions.h"

namespace QUON_TestLib {

std::int32_t ReadStruct(IntPair pair) {
    const std::uint32_t value =
        static_cast<std::uint32_t>(pair.intAttr1) * 1000u + static_cast<std::uint32_t>(pair.intAttr2);
    return static_cast<std::int32_t>(value);
}

IntPair CreateStruct(std::int32_t a, std::int32_t b) {
    return {a, b};
}

// A negative count makes an empty array.
std::vector<IntPair> CreateStructArray(std::int32_t n) {
    std::vector<IntPair> pairs;
    pairs.reserve(n > 0 ? static_cast<std::size_t>(n) : 0);
    for (std::int32_t i = 0; i < n; ++i) pairs.push_back({i, n});
    return pairs;
}

}  // namespace QUON_TestLib
