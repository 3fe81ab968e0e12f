// The library's array and matrix functions, and the recursion that reaches the host's stack
// limit. Array results come from the host's makeArray and move into the result cell.
#pragma once

#include <cstdint>

#include "externlib/Caster.h"

namespace QUON_TestLib {

using QUON_ExternLib::FloatArray;
using QUON_ExternLib::IntArray;
using QUON_ExternLib::IntMatrix;
using QUON_ExternLib::StringArray;
using QUON_ExternLib::tString;

std::int64_t GetArrayLen(IntArray* array);
std::int64_t GetArrayLenF(FloatArray* array);  // the type of its row only: its adapter is GetArrayLen's
std::int64_t GetArraySum(IntArray* array);     // wrapping
// `count` values rand() % range; the first call seeds from the time when the evaluator asks for it.
IntArray* GetRandomArray(std::int32_t range, std::int32_t count);
IntArray* GetArraySeq(std::int64_t from, std::int64_t to);  // from, from ± 1, ..., to
std::int64_t RecursiveSum(std::int64_t n);                  // 1 + ... + n, one native frame per step
tString GetArraySumS(StringArray* array);                   // the printable texts, concatenated
StringArray* IntArr2strArr(IntArray* array);                // decimal texts
IntMatrix* GetRandomMatrix(std::int32_t range, std::int32_t rows, std::int32_t columns);
IntArray* SumMatrixRows(IntMatrix* matrix);  // wrapping row sums

}  // namespace QUON_TestLib
