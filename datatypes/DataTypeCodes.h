// The type-code space. Every type object carries one signed 32-bit code.
#pragma once

#include <cstdint>

namespace QUON_DataTypes::TypeCode {

inline constexpr std::int32_t kUndefined = 0;
// The four basic prime types, one bit each; combined prime types are sets of them.
inline constexpr std::int32_t kBool = 1;
inline constexpr std::int32_t kInt = 2;
inline constexpr std::int32_t kFloat = 4;
inline constexpr std::int32_t kString = 8;
inline constexpr std::int32_t kCombinedPrime = 0x10000;  // + mask of the prime bits
inline constexpr std::int32_t kNumeric = 0x10006;
inline constexpr std::int32_t kValue = 0x1000E;
inline constexpr std::int32_t kPrime = 0x1000F;
inline constexpr std::int32_t kPrimeNotInt = 0x1000D;
inline constexpr std::int32_t kPrimeNotFloat = 0x1000B;
inline constexpr std::int32_t kPrimeNotString = 0x10007;
// The further prime types, 0x20000 + n.
inline constexpr std::int32_t kLibrary = 0x20000;
inline constexpr std::int32_t kDateTime = 0x20001;
inline constexpr std::int32_t kDuration = 0x20002;
inline constexpr std::int32_t kMimeResource = 0x20003;
inline constexpr std::int32_t kMetaType = 0x20004;
inline constexpr std::int32_t kXmlTag = 0x20005;
inline constexpr std::int32_t kDrawing = 0x20006;
inline constexpr std::int32_t kBitmap = 0x20007;
// Concrete collections (0x80000 + kind) and abstract ones (0x81000 + set of kinds; 8 is String).
inline constexpr std::int32_t kMap = 0x80001;
inline constexpr std::int32_t kList = 0x80002;
inline constexpr std::int32_t kArray = 0x80004;
inline constexpr std::int32_t kSequence = 0x81006;
inline constexpr std::int32_t kSequenceStr = 0x8100E;
inline constexpr std::int32_t kIndexable = 0x8100F;
inline constexpr std::int32_t kFunction = 0x100001;
inline constexpr std::int32_t kTuple = 0x100010;
inline constexpr std::int32_t kTupleX = 0x100011;
inline constexpr std::int32_t kExactRecord = 0x100020;
inline constexpr std::int32_t kExtendableRecord = 0x100021;
inline constexpr std::int32_t kEmptyRecord = 0x100022;
inline constexpr std::int32_t kRecursiveReference = 0x100040;
inline constexpr std::int32_t kFirstExternal = 0x400000;  // + position in the ExternalTypeRegistry

// Non-negative with both 0x100000 and 0x20 set.
constexpr bool IsRecordCode(std::int32_t code) {
    return code >= 0 && (code & 0x100000) != 0 && (code & 0x20) != 0;
}

// A combined prime code narrowed to one prime: non-negative, low four bits exactly one prime bit.
constexpr bool IsSinglePrimeMask(std::int32_t code) {
    const std::int32_t mask = code & 0xF;
    return code >= 0 && (mask == kBool || mask == kInt || mask == kFloat || mask == kString);
}

}  // namespace QUON_DataTypes::TypeCode
