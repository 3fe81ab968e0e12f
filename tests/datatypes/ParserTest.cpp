// The type-string parser: accepted forms, every failure message, and what a failure leaves.
#include <gtest/gtest.h>

#include <string>

#include "datatypes/BuiltInTypes.h"
#include "datatypes/DataTypeCodes.h"
#include "datatypes/ExternalTypeRegistry.h"
#include "tests/datatypes/TypeTestSupport.h"

namespace {

using namespace type_tests;
namespace TypeCode = QUON_DataTypes::TypeCode;

TEST(TypeParser, EveryFailureMessageFromItsTrigger) {
    const struct {
        const char* text;
        const char* result;
    } cases[] = {
        {"'", "null: Invald polymorphic type!"},
        {"'x", "null: Invald polymorphic type!"},
        {"int", "null: Unknown type!"},
        {"?", "null: Unknown type!"},
        {"", "null: Unknown type!"},
        {"Tuple[]", "null: Unknown type!"},
        {"List Int", "List[Undefined] (Invalid type! No open '['!)"},
        {"TupleX[Int]", "null: Invalid type! No open '['!"},
        {"List[Int", "List[Undefined] (Invalid type! No closing ']'!)"},
        {"Tuple[Int String]", "null: Invalid type! No closing ']'!"},
        // A closer that ends the text closes one construct, not two.
        {"List[List[Int]", "List[Undefined] (Invalid type! No closing ']'!)"},
        {"Record[a:List[Int]", "null: Invalid record attribute list!"},
        {"( -> (Int -> Int)", "null: Invalid functional type! No closing ')'!"},
        {"(Int - Int)", "null: Invalid functional type! Missing '->'!"},
        {"(Int -", "null: Invalid functional type! Missing '->'!"},
        {"(Int)", "null: Invalid functional type! Missing '*'!"},
        {"()", "null: Invalid functional type argument!"},
        {"(", "null: Invalid functional type argument!"},
        {"((((", "null: Invalid functional type argument!"},
        {"( -> )", "null: Invalid functional type result!"},
        {"( -> Int", "null: Invalid functional type! No closing ')'!"},
        {"Record Int", "null: Invalid record type! No open '['!"},
        {"RecordX[a:Int] Int", "null: Invalid record type! No open '['!"},
        {"Record[a:Int,]", "null: Invalid record attribute name!"},
        {"Record[1a:Int]", "null: Invalid record attribute name!"},
        {"Record[a Int]", "null: Invalid record attribute type!"},
        {"Record[a:Int b:Int]", "null: Invalid record attribute list!"},
        {"RecordX[a:Int]['2", "null: Invalid record type! No closed ']'!"},
        {"Map[Int][?]", "null: Unknown type!"},
        {"Numeric[Int]", "null: "},  // a combined type needs a variable; no message
        {"Tuple[List[?]]", "null: Invalid type! No closing ']'!"},
        {"Tuple[List[]]", "null: Unknown type!"},  // every element made a type, but one failed inside,
    };
    for (const auto& c : cases) EXPECT_EQ(ParseResult(c.text), c.result) << "parsing \"" << c.text << "\"";
}

TEST(TypeParser, AcceptedFormsAndWhatTheyBuild) {
    const struct {
        const char* text;
        const char* printed;
    } cases[] = {
        {"  ( Int*Int->Int )  trailing", "(Int * Int -> Int)"},
        {"( -> Bool )", "( -> Bool)"},
        {"(Int->Int)", "(Int -> Int)"},
        {"( ( Int -> Int ) -> Int )", "((Int -> Int) -> Int)"},
        {"Integer", "Int"},
        {"VariableSet", "Map[String][String]"},
        {"List[?]", "List[Undefined] (Unknown type!)"},
        {"Array[?]", "Array[Undefined] (Unknown type!)"},
        {"'0", "'0"},
        {"'4294967297", "'1"},  // the index wraps at 32 bits
        {"Record[ ]", "Record[]"},
        {"Record[b:Int, a:Int, b:String]", "Record[a:Int, b:Int]"},
        {"Record[_x1:Int]", "Record[_x1:Int]"},
        {"RecordX[]['3]", "RecordX[]['3]"},
        {"TupleX[Int, String]['3]", "TupleX[Int, String]['3]"},
        {"Sequence[Int][String]", "Sequence['0][String]"},
        {"Map[\n Int ]\t[ String ]", "Map[Int][String]"},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseResult(c.text), c.printed) << "parsing \"" << c.text << "\"";

    EXPECT_EQ(Parse("Integer").Get(), Parse("Int").Get()) << "Int and Integer are the one shared Int";
    EXPECT_EQ(Parse("Int").Get(), QUON_DataTypes::IntType.Get()) << "the parser hands out IntType's object";
    const DataType numeric = Parse("Numeric['3]");
    EXPECT_EQ(numeric->TypeCode(), TypeCode::kNumeric) << "Numeric['3] is the Numeric combined type";
    EXPECT_EQ(numeric->GetInstanceType()->TypeCode(), -3) << "its instance variable is '3";
    EXPECT_EQ(numeric->GetInstanceType()->GetPolyConstraint(), 0x10006u) << "constrained to Numeric";
    EXPECT_EQ(Parse("Sequence['2][Int]")->GetInstanceType()->GetPolyConstraint(), 0x81006u)
        << "a Sequence's instance variable carries the Sequence code";
}

TEST(TypeParser, ExternalTypesComeFromTheRegistry) {
    // The registry only grows, so each run of this test registers a name of its own.
    static int run = 0;
    const std::string name = "ExternalProbe" + std::to_string(run++);
    EXPECT_EQ(ParseResult(name.c_str()), "null: Unknown type!") << "an unregistered name is unknown";
    auto& registry = QUON_DataTypes::ExternalTypeRegistry::Instance();
    const std::int32_t code = registry.Register(name.c_str());
    EXPECT_EQ(registry.Register(name.c_str()), code) << "registering a name twice keeps its code";
    const DataType type = Parse(("( " + name + " -> String )").c_str());
    EXPECT_EQ(Print(type), "(" + name + " -> String)") << "an external type prints its registered name";
    EXPECT_EQ(type->GetFunctionSubType(1)->TypeCode(), code) << "its code is its registry code";
    EXPECT_TRUE(type->GetFunctionSubType(1)->IsExternal()) << "it answers IsExternal";
    EXPECT_GE(code, TypeCode::kFirstExternal) << "external codes start at 0x400000";
}

TEST(TypeParser, HostileInputEndsWithAMessage) {
    // Nesting is bounded so that the parser and the walks over its result keep their stack.
    std::string deep;
    for (int i = 0; i < 5000; ++i) deep += "Map[Int][";
    EXPECT_EQ(ParseResult(deep.c_str()), "null: Type nesting too deep!") << "5000 nested maps";
    std::string functions(100000, '(');
    EXPECT_EQ(ParseResult(functions.c_str()), "null: Invalid functional type argument!")
        << "a long run of '(' fails";
    std::string tuple = "Tuple[Int";
    for (int i = 0; i < 5000; ++i) tuple += ",Int";
    EXPECT_EQ(ParseResult((tuple + "]").c_str()), "null: Type nesting too deep!") << "a 5001-element tuple";
    std::string nested;
    for (int i = 0; i < 100; ++i) nested += "List[";
    nested += "Int" + std::string(100, ']');
    EXPECT_EQ(ParseResult(nested.c_str()), nested) << "100 nested lists are fine";
    EXPECT_EQ(QUON_DataTypes::ParseDataType(nullptr), nullptr) << "a null text is no type";
}

}  // namespace
