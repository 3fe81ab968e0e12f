// The built-in constants: what they hold, how they print, and how they are shared.
#include <gtest/gtest.h>

#include "datatypes/BuiltInTypes.h"
#include "tests/datatypes/TypeTestSupport.h"

namespace {

using namespace type_tests;
namespace types = QUON_DataTypes;

TEST(BuiltInTypes, SingleConstantsAndTheirSharing) {
    const struct {
        const DataType& constant;
        const char* printed;
    } cases[] = {
        {types::UndefinedType, "Undefined"},
        {types::IntType, "Int"},
        {types::FloatType, "Float"},
        {types::BoolType, "Bool"},
        {types::StringType, "String"},
        {types::DateTimeType, "DateTime"},
        {types::DurationType, "Duration"},
        {types::LibraryType, "Library"},
        {types::MimeResourceType, "MimeResource"},
        {types::MetaTypeType, "MetaType"},
        {types::XmlTagType, "XmlTag"},
        {types::DrawingType, "Drawing"},
        {types::BitmapType, "Bitmap"},
        {types::FreeVariableType, "'1"},
        {types::ListOfVariableType, "List['1]"},
        {types::ArrayOfVariableType, "Array['1]"},
        {types::MapOfVariablesType, "Map['1]['2]"},
        {types::RecursiveVariableType, "Recursive['1]"},
        {types::VariableSetType, "Map[String][String]"},
    };
    for (const auto& c : cases) EXPECT_EQ(Print(c.constant), c.printed) << "constant " << c.printed;

    EXPECT_EQ(types::DateTimeType->TypeCode(), 131073) << "DateTime's code";
    EXPECT_NE(DataType(types::ListOfVariableType).Get(), types::ListOfVariableType.Get())
        << "copying List['1] clones";
    EXPECT_EQ(DataType(types::IntType).Get(), types::IntType.Get()) << "copying Int shares";
    EXPECT_EQ(types::VariableSetType.Get(), Parse("VariableSet").Get()) << "VariableSet is one shared map";
}

TEST(BuiltInTypes, ParsedConstantsPrintTheirTexts) {
    for (std::size_t i = 0; i < types::kParsedTypeCount; ++i) {
        const DataType& constant = types::ParsedTypeConstant(i);
        EXPECT_TRUE(constant->IsFullyDefined()) << types::ParsedTypeTexts[i] << " parsed";
        EXPECT_EQ(constant->Compare(*Parse(types::ParsedTypeTexts[i])), 0)
            << types::ParsedTypeTexts[i] << " equals a fresh parse";
    }
    EXPECT_EQ(Print(types::IntOperatorTypes[2]), "(Int * Int -> Int)") << "the printer's own spacing";
    EXPECT_EQ(Print(types::BoolOperatorTypes[0]), "( -> Bool)") << "no operands";
    EXPECT_EQ(Print(types::ConversionTypes[11]), "(String -> Int)") << "the last conversion";
    EXPECT_EQ(Print(types::ListOfVariableSetType), "List[Map[String][String]]") << "the collection";
    const DataType& numeric = types::PolymorphicOperatorTypes[4];
    EXPECT_EQ(Print(numeric), "(Numeric['1] * Numeric['1] -> Numeric['1])") << "numeric binary operator";
    EXPECT_TRUE(numeric->IsPolymorphic()) << "it is polymorphic";
    for (std::uint32_t i = 0; i <= 2; ++i) {
        EXPECT_EQ(numeric->GetFunctionSubType(i)->GetInstanceType()->GetPolyConstraint(), 0x10006u)
            << "variable of slot " << i << " is constrained to Numeric";
    }
}

TEST(BuiltInTypes, ArityTables) {
    EXPECT_EQ(Print(types::FunctionTypes[0]), "( -> '1)") << "FunctionTypes[0]";
    EXPECT_EQ(Print(types::FunctionTypes[2]), "('2 * '3 -> '1)") << "FunctionTypes[2]";
    EXPECT_EQ(types::FunctionTypes[16]->GetArgumentCount(), 16u) << "FunctionTypes[16]";
    EXPECT_EQ(Print(types::FunctionApplicationTypes[0]), "(( -> '1) -> '1)") << "applications[0]";
    EXPECT_EQ(Print(types::FunctionApplicationTypes[1]), "('2 * ('2 -> '1) -> '1)") << "applications[1]";
    EXPECT_EQ(Print(types::TupleTypes[0]), "Undefined") << "TupleTypes[0]";
    EXPECT_EQ(Print(types::TupleTypes[3]), "Tuple['1, '2, '3]") << "TupleTypes[3]";
    EXPECT_EQ(types::TupleTypes[16]->GetTupleSize(), 16) << "TupleTypes[16]";
    EXPECT_EQ(Print(types::TupleXTypes[0]), "Undefined") << "TupleXTypes[0]";
    EXPECT_EQ(Print(types::TupleXTypes[1]), "TupleX['1]['2]") << "TupleXTypes[1]";
}

}  // namespace
