// A native structure of two Int fields exchanged as Record[ intAttr1: Int, intAttr2: Int ]: read
// from a record argument, returned as a record, and returned as an array of records. Every
// record these functions make shares one names table ("intAttr1" at 0, "intAttr2" at 1).
#pragma once

#include <cstdint>
#include <tuple>
#include <vector>

#include "externlib/RecordBinding.h"

namespace QUON_TestLib {

struct IntPair {
    std::int32_t intAttr1;
    std::int32_t intAttr2;
};

std::int32_t ReadStruct(IntPair pair);  // intAttr1 * 1000 + intAttr2, 32-bit wrapping; absent is 0
IntPair CreateStruct(std::int32_t a, std::int32_t b);
// {i, n} for i from 0 to n - 1; the host's makeArray gets n as it is.
QUON_ExternLib::RecordArray<IntPair> CreateStructArray(std::int32_t n);

}  // namespace QUON_TestLib

template <>
struct QUON_ExternLib::RecordBinding<QUON_TestLib::IntPair> {
    static constexpr auto kFields =
        std::make_tuple(RecordField("intAttr1", &QUON_TestLib::IntPair::intAttr1),
                        RecordField("intAttr2", &QUON_TestLib::IntPair::intAttr2));
    static constexpr const char* kTypeText = "Record[ intAttr1: Int, intAttr2: Int ]";
};
