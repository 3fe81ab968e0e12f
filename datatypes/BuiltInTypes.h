// The built-in type constants, made while the module loads: the prime types, a few generic
// collection types, the signatures of the elementary operators, and tables of generic
// function, function-application and tuple types by arity.
#pragma once

#include <array>
#include <cstddef>

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

// Tables by arity n = 0 ... 16.
inline constexpr std::size_t kArityTableSize = 17;
extern std::array<DataType, kArityTableSize> FunctionTypes;             // ('2 * ... -> '1)
extern std::array<DataType, kArityTableSize> FunctionApplicationTypes;  // applications of those
extern std::array<DataType, kArityTableSize> TupleTypes;                // Tuple['1, ... 'n]; 0: Undefined
extern std::array<DataType, kArityTableSize> TupleXTypes;  // TupleX['1, ... 'n]['(n+1)]; 0: Undefined

}  // namespace QUON_DataTypes
