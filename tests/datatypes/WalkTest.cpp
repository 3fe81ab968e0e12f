// The three predicates, the sub-type walks and the search for variable indices.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datatypes/DataTypeCombinedPrime.h"
#include "diagnostics/Exception.h"
#include "tests/datatypes/TypeTestSupport.h"

namespace {

using namespace type_tests;

TEST(TypePredicates, FullyDefinedPolymorphicEssentiallyNonPolymorphic) {
    const struct {
        const char* text;
        bool fullyDefined, polymorphic, essentiallyNonPolymorphic;
    } cases[] = {
        {"Int", true, false, true},
        {"'1", true, true, false},
        {"List['1]", true, true, false},
        {"List[?]", false, false, true},
        {"Tuple[Int, String]", true, false, true},
        {"TupleX[Int]['4]", true, true, true},
        {"TupleX['1]['4]", true, true, false},
        {"RecordX[a:Int]['2]", true, true, true},
        {"Record[a:'1]", true, true, false},
        {"Record[]", true, false, true},
        {"Numeric['1]", true, true, false},
    };
    for (const auto& c : cases) {
        const DataType type = Parse(c.text);
        EXPECT_EQ(type->IsFullyDefined(), c.fullyDefined) << c.text << " IsFullyDefined";
        EXPECT_EQ(type->IsPolymorphic(), c.polymorphic) << c.text << " IsPolymorphic";
        EXPECT_EQ(type->IsEssentiallyNonPolymorphic(), c.essentiallyNonPolymorphic)
            << c.text << " IsEssentiallyNonPolymorphic";
    }
    EXPECT_FALSE(Parse("?")->IsFullyDefined()) << "Undefined is not fully defined";

    // A combined type narrowed to one prime is a leaf.
    const DataType narrowed(new QUON_DataTypes::DataTypeCombinedPrime(0x10002, Parse("'1")));
    EXPECT_FALSE(narrowed->HasSubTypes()) << "narrowed: no sub-types";
    EXPECT_FALSE(narrowed->IsPolymorphic()) << "narrowed: not polymorphic";
    EXPECT_TRUE(narrowed->IsEssentiallyNonPolymorphic()) << "narrowed: essentially non-polymorphic";
    EXPECT_EQ(Print(narrowed), "ErrorCombinedType") << "0x10002 has no name";
    EXPECT_THROW(QUON_DataTypes::DataTypeCombinedPrime(0x10006, Parse("Int")), zul::Exception)
        << "a combined type needs a variable as its instance";
}

TEST(TypeWalks, SubTypesTraversalAndVariableIndices) {
    const struct {
        const char* text;
        std::size_t count;
        const char* first;
    } cases[] = {
        {"Tuple[Int, Bool, String]", 3, "Int"},
        {"TupleX[Int]['4]", 2, "Int"},
        {"Map[Int][String]", 2, "String"},  // value first
        {"RecordX[b:Int, a:String]['3]", 3, "String"},
        {"Int", 0, nullptr},
    };
    for (const auto& c : cases) {
        const DataType type = Parse(c.text);
        std::vector<DataType*> subTypes;
        type->GetSubTypes(subTypes);
        ASSERT_EQ(subTypes.size(), c.count) << "sub-types of " << c.text;
        if (c.first != nullptr) {
            EXPECT_EQ(Print(*subTypes[0]), c.first) << "first sub-type of " << c.text;
        }
    }

    std::uint32_t min = 0, max = 0;
    Parse("( '3 * List['7] -> '5 )").FindMinMaxPolyTypesContinue(min, max);
    EXPECT_EQ(min, 3u) << "smallest variable";
    EXPECT_EQ(max, 7u) << "largest variable, found below List";
    min = max = 0;
    Parse("Int").FindMinMaxPolyTypesContinue(min, max);
    EXPECT_EQ(min + max, 0u) << "Int has no variables";

    DataType function = Parse("( List[Int] * Bool -> Int )");
    int visits = 0;
    QUON_DataTypes::DataTypeVisitorFunction stop([&visits](DataType*) -> QUON_DataTypes::VisitResult {
        ++visits;
        return 255;
    });
    EXPECT_FALSE(function->Traverse(stop, 10)) << "255 on the first sub-type stops the walk";
    EXPECT_EQ(visits, 1) << "after one visit";
    std::vector<std::string> seen;
    QUON_DataTypes::DataTypeVisitorFunction all([&seen](DataType* type) -> QUON_DataTypes::VisitResult {
        seen.push_back(Print(*type));
        return 1;
    });
    EXPECT_TRUE(function->Traverse(all, 1)) << "a full walk completes";
    EXPECT_EQ(seen, (std::vector<std::string>{"Int", "List[Int]", "Int", "Bool"}))
        << "result, then arguments, descending one level";
    seen.clear();
    function->Traverse(all, 0);
    EXPECT_EQ(seen.size(), 3u) << "depth 0 visits only the direct sub-types";
}

}  // namespace
