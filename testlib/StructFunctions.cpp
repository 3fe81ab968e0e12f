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

// The count goes to the host's makeArray unchanged: how a host treats a negative count is what a
// host developer tests with it.
QUON_ExternLib::RecordArray<IntPair> CreateStructArray(std::int32_t n) {
    return {n, [n](std::int64_t i) { return IntPair{static_cast<std::int32_t>(i), n}; }};
}

}  // namespace QUON_TestLib
