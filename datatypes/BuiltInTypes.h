// The built-in type constants, made while the module loads: the prime types, a few generic
// collection types and the signatures of the elementary operators; and tables of generic
// function, function-application and tuple types by arity, made on first use.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>

#include "datatypes/DataType.h"

namespace QUON_DataTypes {

extern DataType UndefinedType;
extern DataType IntType;
extern DataType FloatType;
extern DataType BoolType;
extern DataType StringType;
extern DataType DateTimeType;
extern DataType DurationType;
extern DataType LibraryType;
extern DataType MimeResourceType;
extern DataType MetaTypeType;
extern DataType XmlTagType;
extern DataType DrawingType;
extern DataType BitmapType;

extern DataType FreeVariableType;       // '1
extern DataType ListOfVariableType;     // List['1]
extern DataType ArrayOfVariableType;    // Array['1]
extern DataType MapOfVariablesType;     // Map['1]['2]
extern DataType RecursiveVariableType;  // Recursive['1]
extern DataType VariableSetType;        // Map[String][String]

// The constants parsed from type strings, in the order of ParsedTypeTexts.
inline constexpr std::size_t kParsedTypeCount = 38;
extern const std::array<const char*, kParsedTypeCount> ParsedTypeTexts;
// Operators with zero, one and two operands of one type, indexed by the operand count.
extern std::array<DataType, 3> BoolOperatorTypes;
extern std::array<DataType, 3> IntOperatorTypes;
extern std::array<DataType, 3> FloatOperatorTypes;
extern std::array<DataType, 3> StringOperatorTypes;
extern std::array<DataType, 3> DateTimeOperatorTypes;
extern std::array<DataType, 3> DurationOperatorTypes;
// Conversions between Bool, Float, Int and String, in the order ParsedTypeTexts lists them.
extern std::array<DataType, 12> ConversionTypes;
// ( '1 -> '1 ), ( List['1] -> List['1] ), ( List['1] -> '1 ), ( Numeric['1] -> Numeric['1] ),
// ( Numeric['1] * Numeric['1] -> Numeric['1] ), ( Value['1] * Value['1] -> Bool ),
// ( Value['1] * Value['1] -> Value['1] )
extern std::array<DataType, 7> PolymorphicOperatorTypes;
extern DataType ListOfVariableSetType;  // List[Map[String][String]]
// The constant parsed from ParsedTypeTexts[i].
const DataType& ParsedTypeConstant(std::size_t i);

// Tables by arity n = 0 ... 16. Their 68 types (and some 600 type variables) are built on the
// first lookup in a table, not while the module loads: nothing needs them at load, and building
// them then made loading the library several times dearer. Lookups are thread-safe.
inline constexpr std::size_t kArityTableSize = 17;

class ArityTypeTable {
public:
    using Factory = DataTypeImp* (*)(std::uint32_t n);

    // Entries below `first` hold the Undefined type.
    constexpr ArityTypeTable(Factory make, std::uint32_t first) : make(make), first(first) {}
    ArityTypeTable(const ArityTypeTable&) = delete;
    ArityTypeTable& operator=(const ArityTypeTable&) = delete;

    const DataType& operator[](std::size_t n) const { return Entries()[n]; }
    static constexpr std::size_t size() { return kArityTableSize; }

private:
    const std::array<DataType, kArityTableSize>& Entries() const;

    Factory make;                                                          // builds entry n
    std::uint32_t first;                                                   // first entry it builds
    mutable std::once_flag built;                                          // entries are built once
    mutable std::optional<std::array<DataType, kArityTableSize>> entries;  // empty until first use
};

extern ArityTypeTable FunctionTypes;             // ('2 * ... -> '1)
extern ArityTypeTable FunctionApplicationTypes;  // applications of those
extern ArityTypeTable TupleTypes;                // Tuple['1, ... 'n]; 0: Undefined
extern ArityTypeTable TupleXTypes;               // TupleX['1, ... 'n]['(n+1)]; 0: Undefined

}  // namespace QUON_DataTypes
