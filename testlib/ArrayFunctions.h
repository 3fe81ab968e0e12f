// The library's array and matrix functions, and the recursion that reaches the host's stack
// limit. Array results come from the host's makeArray and move into the result cell.
#pragma once

#include <cstdint>

#include "externlib/Caster.h"

namespace QUON_TestLib {

using QUON_ExternLib::FloatArrayView;
using QUON_ExternLib::IntArrayView;
using QUON_ExternLib::IntMatrixView;
using QUON_ExternLib::NewArray;
using QUON_ExternLib::StringArrayView;
using QUON_ExternLib::tBaseString;
using QUON_ExternLib::tString;

std::int64_t GetArrayLen(IntArrayView array);
std::int64_t GetArrayLenF(FloatArrayView array);  // the type of its row only: its adapter is GetArrayLen's
std::int64_t GetArraySum(IntArrayView array);     // wrapping
// `count` values rand() % range; the first call seeds from the time when the evaluator asks for it.
NewArray<long long> GetRandomArray(std::int32_t range, std::int32_t count);
NewArray<long long> GetArraySeq(std::int64_t from, std::int64_t to);  // from, from ± 1, ..., to
std::int64_t RecursiveSum(std::int64_t n);  // 1 + ... + n, one native frame per step
tString GetArraySumS(StringArrayView array);  // the printable texts, concatenated
NewArray<tBaseString*> IntArr2strArr(IntArrayView array);  // decimal texts
NewArray<IntArrayView> GetRandomMatrix(std::int32_t range, std::int32_t rows, std::int32_t columns);
NewArray<long long> SumMatrixRows(IntMatrixView matrix);  // wrapping row sums

}  // namespace QUON_TestLib
