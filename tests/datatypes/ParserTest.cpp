// The type-string parser: accepted forms, every failure message, and what a failure leaves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datatypes/BuiltInTypes.h"
#include "datatypes/DataTypeCodes.h"
#include "datatypes/DataTypeFunction.h"
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
        {"'0", "'0"},
        {"'4294967297", "'1"},  // the index wraps at 32 bits
        {"Record[ ]", "Record[]"},
        {"Record[b:Int, a:Int, b:String]", "Record[a:Int, b:Int]"},
        {"Sequence[Int][String]", "Sequence['0][String]"},
        {"Map[\n Int ]\t[ String ]", "Map[Int][String]"},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseResult(c.text), c.printed) << "parsing \"" << c.text << "\"";

    EXPECT_EQ(Parse("Integer").Get(), QUON_DataTypes::IntType.Get()) << "Integer is the one shared Int";
    const DataType numeric = Parse("Numeric['3]");
    EXPECT_EQ(numeric->TypeCode(), TypeCode::kNumeric) << "Numeric['3] is the Numeric combined type";
    EXPECT_EQ(numeric->GetInstanceType()->TypeCode(), -3) << "its instance variable is '3";
    EXPECT_EQ(numeric->GetInstanceType()->GetPolyConstraint(), 0x10006u) << "constrained to Numeric";
    EXPECT_EQ(Parse("Sequence['2][Int]")->GetInstanceType()->GetPolyConstraint(), 0x81006u)
        << "a Sequence's instance variable carries the Sequence code";
}

TEST(TypeParser, EveryClassPrintsATextThatParsesBackToAnEqualType) {
    // The registry only grows, so each run of this test registers a name of its own.
    static int run = 0;
    const std::string name = "ExternalProbe" + std::to_string(run++);
    EXPECT_EQ(ParseResult(name.c_str()), "null: Unknown type!") << "an unregistered name is unknown";
    auto& registry = QUON_DataTypes::ExternalTypeRegistry::Instance();
    const std::int32_t code = registry.Register(name.c_str());
    EXPECT_TRUE(registry.Register(name.c_str()) == code && code >= TypeCode::kFirstExternal)
        << "a name keeps its code, 0x400000 or above";
    std::vector<DataType> types = {Parse(("List[" + name + "]").c_str())};
    EXPECT_TRUE(types[0]->GetElementType()->IsExternal() && types[0]->GetElementType()->TypeCode() == code)
        << "an external type carries its registry code";
    for (const char* text :
         {"Map[String][List[Array[Recursive[Tuple[Int, Float, '3]]]]]", "(Bool * Library -> DateTime)",
          "( -> Duration)", "Sequence['2][MimeResource]", "SequenceStr['4][MetaType]",
          "Indexable['2][XmlTag][Drawing]", "(Numeric['1] * Value['2] * Prime['3] -> PrimeNotInt['4])",
          "Tuple[PrimeNotFloat['1], PrimeNotString['2], Bitmap]", "TupleX[Int, List['1]]['5]",
          "Record[Name2:Int, _y:String, a:'1, x_1:Float]", "RecordX[b:Record[]]['3]", "RecordX[]['2]"}) {
        EXPECT_EQ(ParseResult(text), text) << "the canonical text " << text;
        types.push_back(Parse(text));
    }
    types.emplace_back(QUON_DataTypes::CreateFunctionApplicationType(2));
    types.push_back(Parse("TupleX[Int]['5]"));
    types.back()->GetTupleExtension() = Parse("TupleX[Bool]['7]");
    types.push_back(Parse("RecordX[a:Int]['2]"));
    *types.back()->GetRecordExtension() = Parse("RecordX[b:String]['5]");
    for (const DataType& type : types) {
        const std::string printed = Print(type);
        const DataType reparsed = Parse(printed.c_str());
        EXPECT_EQ(Print(reparsed), printed) << "reprinting " << printed;
        EXPECT_TRUE(type->Compare(*reparsed) == 0 && reparsed->Compare(*type) == 0)
            << printed << " parses back to an equal type";
    }
}

// `count` copies of `item` joined by `separator`.
std::string Repeat(const std::string& item, int count, const std::string& separator) {
    std::string text = item;
    for (int i = 1; i < count; ++i) text += separator + item;
    return text;
}

TEST(TypeParser, HostileInputEndsWithAMessage) {
    // Nesting is bounded so that the parser and the walks over its result keep their stack, the
    // number of parts so that a text cannot build an unbounded type.
    EXPECT_EQ(ParseResult(Repeat("Map[Int][", 5000, "").c_str()), "null: Type nesting too deep!")
        << "5000 nested maps";
    std::string functions(100000, '(');
    EXPECT_EQ(ParseResult(functions.c_str()), "null: Invalid functional type argument!")
        << "a long run of '(' fails";
    EXPECT_EQ(QUON_DataTypes::ParseDataType(nullptr), nullptr) << "a null text is no type";

    // Elements are width, not depth: a wide tuple nests one level.
    const std::string wide = "Tuple[" + Repeat("Int", 200, ", ") + "]";
    EXPECT_EQ(ParseResult(wide.c_str()), wide) << "200 elements";
    const std::string deepWide = Repeat("List[", 190, "") + wide + std::string(190, ']');
    EXPECT_EQ(ParseResult(deepWide.c_str()), deepWide) << "200 elements 190 levels down";
    EXPECT_EQ(Parse(("Tuple[" + Repeat("Int", 9999, ",") + "]").c_str())->GetTupleSize(), 9999)
        << "a tuple and 9999 elements are as many parts as a text may hold";
    EXPECT_EQ(ParseResult(("Tuple[" + Repeat("Int", 10000, ",") + "]").c_str()),
              "null: Type too large! Too many parts!")
        << "one more is too many";
    // Each extension nests one level deeper, but its elements start again: 199 of them, each as
    // wide as the nesting allows, hold about 20,000 parts.
    std::string chain;
    for (int level = 0; level < 199; ++level) chain += "TupleX[" + Repeat("Int", 199 - level, ",") + "][";
    chain += "'1" + std::string(199, ']');
    EXPECT_EQ(ParseResult(chain.c_str()), "null: Type too large! Too many parts!")
        << "a chain of extensions";
}

}  // namespace
