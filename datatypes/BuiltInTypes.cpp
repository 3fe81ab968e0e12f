// The load-time constants are built in this file's definition order: all carry the same load
// priority, and objects of one priority in one file are constructed in the order they are defined.
#include "datatypes/BuiltInTypes.h"

#include <new>

#include "datatypes/DataTypeCodes.h"
#include "datatypes/DataTypeCollection.h"
#include "datatypes/DataTypeFunction.h"
#include "datatypes/DataTypeParser.h"
#include "datatypes/DataTypeRecursiveReference.h"
#include "datatypes/DataTypeSimple.h"
#include "datatypes/DataTypeTuple.h"
#include "platform/LoadOrder.h"

#define QUON_TYPE_CONSTANT __attribute__((init_priority(QUON_LOAD_ORDER_TYPE_CONSTANTS)))

namespace QUON_DataTypes {

namespace {

DataTypeImp* Prime(std::int32_t code) {
    return Shared(SharedPrimeType(code));
}

DataType Variable(std::uint32_t k) {
    return DataType(CreateTypeVariable(k));
}

DataTypeImp* Tuple(std::uint32_t n) {
    return CreateTupleType(n, 1);
}

DataTypeImp* TupleX(std::uint32_t n) {
    return CreateTupleXType(n, 1);
}

DataTypeImp* ParsedText(std::uint32_t k) {
    return ParseDataType(ParsedTypeTexts[k]);
}

constexpr std::size_t kConversionsFirst = 18;
constexpr std::size_t kPolymorphicFirst = 30;
constexpr std::size_t kCollectionIndex = 37;

}  // namespace

using namespace TypeCode;

const std::array<const char*, kParsedTypeCount> ParsedTypeTexts = {
    "( -> Bool )",
    "( Bool -> Bool )",
    "( Bool * Bool -> Bool )",
    "( -> Int )",
    "( Int -> Int )",
    "( Int * Int -> Int )",
    "( -> Float )",
    "( Float -> Float )",
    "( Float * Float -> Float )",
    "( -> String )",
    "( String -> String )",
    "( String * String -> String )",
    "( -> DateTime )",
    "( DateTime -> DateTime )",
    "( DateTime * DateTime -> DateTime )",
    "( -> Duration )",
    "( Duration -> Duration )",
    "( Duration * Duration -> Duration )",
    "( Bool -> Float )",
    "( Bool -> Int )",
    "( Bool -> String )",
    "( Float -> Bool )",
    "( Float -> Int )",
    "( Float -> String )",
    "( Int -> Bool )",
    "( Int -> Float )",
    "( Int -> String )",
    "( String -> Bool )",
    "( String -> Float )",
    "( String -> Int )",
    "( '1 -> '1 )",
    "( List['1] -> List['1] )",
    "( List['1] -> '1 )",
    "( Numeric['1] -> Numeric['1] )",
    "( Numeric['1] * Numeric['1] -> Numeric['1] )",
    "( Value['1] * Value['1] -> Bool )",
    "( Value['1] * Value['1] -> Value['1] )",
    "List[Map[String][String]]",
};

QUON_TYPE_CONSTANT DataType FreeVariableType(Variable(1));
QUON_TYPE_CONSTANT DataType RecursiveVariableType(new (std::nothrow)
                                                      DataTypeRecursiveReference(Variable(1)));
QUON_TYPE_CONSTANT DataType UndefinedType;
QUON_TYPE_CONSTANT DataType IntType(Prime(kInt));
QUON_TYPE_CONSTANT DataType FloatType(Prime(kFloat));
QUON_TYPE_CONSTANT DataType BoolType(Prime(kBool));
QUON_TYPE_CONSTANT DataType StringType(Prime(kString));
QUON_TYPE_CONSTANT DataType DateTimeType(Prime(kDateTime));
QUON_TYPE_CONSTANT DataType DurationType(Prime(kDuration));
QUON_TYPE_CONSTANT DataType MetaTypeType(Prime(kMetaType));
QUON_TYPE_CONSTANT DataType VariableSetType(Shared(SharedVariableSetType()));
QUON_TYPE_CONSTANT DataType ListOfVariableType(new (std::nothrow) DataTypeList(FreeVariableType));
QUON_TYPE_CONSTANT DataType ArrayOfVariableType(new (std::nothrow) DataTypeArray(FreeVariableType));
QUON_TYPE_CONSTANT DataType MapOfVariablesType(new (std::nothrow) DataTypeMap(Variable(1), Variable(2)));
QUON_TYPE_CONSTANT DataType MimeResourceType(Prime(kMimeResource));
QUON_TYPE_CONSTANT DataType XmlTagType(Prime(kXmlTag));
QUON_TYPE_CONSTANT DataType DrawingType(Prime(kDrawing));
QUON_TYPE_CONSTANT DataType BitmapType(Prime(kBitmap));
QUON_TYPE_CONSTANT DataType LibraryType(Prime(kLibrary));
QUON_TYPE_CONSTANT DataType ListOfVariableSetType(ParseDataType(ParsedTypeTexts[kCollectionIndex]));

QUON_TYPE_CONSTANT constinit ArityTypeTable TupleTypes(Tuple, 0, 1);
QUON_TYPE_CONSTANT constinit ArityTypeTable TupleXTypes(TupleX, 0, 1);
QUON_TYPE_CONSTANT constinit ArityTypeTable FunctionTypes(CreateFunctionType, 0);
QUON_TYPE_CONSTANT constinit ArityTypeTable FunctionApplicationTypes(CreateFunctionApplicationType, 0);

QUON_TYPE_CONSTANT constinit TypeTable<3> BoolOperatorTypes(ParsedText, 0);
QUON_TYPE_CONSTANT constinit TypeTable<3> IntOperatorTypes(ParsedText, 3);
QUON_TYPE_CONSTANT constinit TypeTable<3> FloatOperatorTypes(ParsedText, 6);
QUON_TYPE_CONSTANT constinit TypeTable<3> StringOperatorTypes(ParsedText, 9);
QUON_TYPE_CONSTANT constinit TypeTable<3> DateTimeOperatorTypes(ParsedText, 12);
QUON_TYPE_CONSTANT constinit TypeTable<3> DurationOperatorTypes(ParsedText, 15);
QUON_TYPE_CONSTANT constinit TypeTable<12> ConversionTypes(ParsedText, kConversionsFirst);
QUON_TYPE_CONSTANT constinit TypeTable<7> PolymorphicOperatorTypes(ParsedText, kPolymorphicFirst);

const DataType& ParsedTypeConstant(std::size_t i) {
    if (i < kConversionsFirst) {
        const TypeTable<3>* operators[] = {&BoolOperatorTypes,     &IntOperatorTypes,
                                           &FloatOperatorTypes,    &StringOperatorTypes,
                                           &DateTimeOperatorTypes, &DurationOperatorTypes};
        return (*operators[i / 3])[i % 3];
    }
    if (i < kPolymorphicFirst) return ConversionTypes[i - kConversionsFirst];
    if (i < kCollectionIndex) return PolymorphicOperatorTypes[i - kPolymorphicFirst];
    return i == kCollectionIndex ? ListOfVariableSetType : UndefinedType;
}

}  // namespace QUON_DataTypes
