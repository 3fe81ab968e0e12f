// The evaluator's error codes, named. An EvException's message number is kEvaluatorMessageBase plus
// its code ("Empty array element requested! [err 2022]"); the texts are the catalogue's
// (diagnostics/EvaluatorMessages.cpp), English first.
#pragma once

#include <cstdint>

namespace QUON_Evaluator {

inline constexpr std::int32_t kEvaluatorMessageBase = 2000;

// A subcode is printed in the tag after the number; this one prints none.
inline constexpr std::int32_t kNoSubcode = -1;

namespace ErrorCode {
inline constexpr std::int32_t kCellEvaluated = 1;               // "Error: Cell Evaluated!"
inline constexpr std::int32_t kWrongArrayIndex = 2;             // "Wrong array index!"
inline constexpr std::int32_t kListEvaluated = 3;               // "List evaluated as a value!"
inline constexpr std::int32_t kWrongMapIndex = 4;               // "Wrong map index [%1]!"
inline constexpr std::int32_t kMapEvaluated = 5;                // "Map evaluated as a value!"
inline constexpr std::int32_t kArrayEvaluated = 6;              // "Array evaluated as a value!"
inline constexpr std::int32_t kVariableSetEvaluated = 7;        // "Variable Set evaluated as a value!"
inline constexpr std::int32_t kResourceEvaluated = 8;           // "Resource evaluated as a value!"
inline constexpr std::int32_t kTypedFunctionReference = 9;      // "Typed function reference evaluation!"
inline constexpr std::int32_t kInvalidQueryResult = 10;         // "Invalid query result list element!"
inline constexpr std::int32_t kUnsupportedQueryParameter = 11;  // "Not supported query parameter type!"
inline constexpr std::int32_t kQueryEvaluated = 12;             // "Query evaluated as a value!"
inline constexpr std::int32_t kTransactionEvaluated = 13;  // "Transaction command evaluated as a value!"
inline constexpr std::int32_t kNoDatabaseInterface = 14;   // "Evaluation Context's Database Interface ..."
inline constexpr std::int32_t kTupleEvaluated = 15;        // "Tuple evaluated as a value!"
inline constexpr std::int32_t kRecordEvaluated = 16;       // "Record evaluated as a value!"
inline constexpr std::int32_t kValueEvaluatedAsRecord = 17;  // "Value evaluated as a record!"
inline constexpr std::int32_t kNoSuchAttribute = 18;         // "Non-existing record attribute access [%1]!"
inline constexpr std::int32_t kInvalidMap = 19;              // "Creation of invalid map attempted!"
inline constexpr std::int32_t kEmptyListHead = 20;           // "Empty list head requested!"
inline constexpr std::int32_t kNotACollection = 21;     // "Cannot get an element from non-collection cell!"
inline constexpr std::int32_t kEmptyArrayElement = 22;  // "Empty array element requested!"
inline constexpr std::int32_t kParallelEvaluation = 23;     // "Error in parallel evaluation:\n%1"
inline constexpr std::int32_t kLast = kParallelEvaluation;  // the catalogue has a row per code and language
}  // namespace ErrorCode

// The subcode of kNotACollection when evaluating the cell gave a cell of its own class: no progress.
inline constexpr std::int32_t kSubcodeNoProgress = 1;

}  // namespace QUON_Evaluator
