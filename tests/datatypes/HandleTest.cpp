// Type handles and the types they hold: the built-in constants, sharing and cloning on copy,
// moves, binding slots and the cycle check, comparison, accessors, predicates and walks.
#include <gtest/gtest.h>

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "datatypes/BuiltInTypes.h"
#include "datatypes/DataTypeCombinedPrime.h"
#include "datatypes/DataTypeFunction.h"
#include "diagnostics/Exception.h"
#include "tests/datatypes/TypeTestSupport.h"

namespace {

using namespace type_tests;
using namespace QUON_DataTypes;

std::string PrintAll(std::initializer_list<const DataType*> constants) {
    std::string text;
    for (const DataType* constant : constants) text += (text.empty() ? "" : " | ") + Print(*constant);
    return text;
}

TEST(BuiltInTypes, ConstantsHoldTheirTypes) {
    EXPECT_EQ(
        PrintAll({&UndefinedType, &IntType, &FloatType, &BoolType, &StringType, &DateTimeType,
                  &DurationType, &LibraryType, &MimeResourceType, &MetaTypeType, &XmlTagType, &DrawingType,
                  &BitmapType, &FreeVariableType, &ListOfVariableType, &ArrayOfVariableType,
                  &MapOfVariablesType, &RecursiveVariableType, &VariableSetType}),
        "Undefined | Int | Float | Bool | String | DateTime | Duration | Library | MimeResource | "
        "MetaType | XmlTag | Drawing | Bitmap | '1 | List['1] | Array['1] | Map['1]['2] | "
        "Recursive['1] | Map[String][String]")
        << "the single constants";
    EXPECT_EQ(VariableSetType.Get(), Parse("VariableSet").Get()) << "VariableSet is one shared map";

    for (std::size_t i = 0; i < kParsedTypeCount; ++i) {
        const DataType& constant = ParsedTypeConstant(i);
        EXPECT_TRUE(constant->IsFullyDefined() && constant->Compare(*Parse(ParsedTypeTexts[i])) == 0)
            << ParsedTypeTexts[i] << " equals a fresh parse";
    }
    EXPECT_EQ(PrintAll({&BoolOperatorTypes[0], &IntOperatorTypes[2], &ConversionTypes[11],
                        &PolymorphicOperatorTypes[4], &ListOfVariableSetType}),
              "( -> Bool) | (Int * Int -> Int) | (String -> Int) | "
              "(Numeric['1] * Numeric['1] -> Numeric['1]) | List[Map[String][String]]")
        << "the tables of parsed constants";

    EXPECT_EQ(PrintAll({&FunctionTypes[0], &FunctionTypes[2], &FunctionApplicationTypes[0],
                        &FunctionApplicationTypes[1], &TupleTypes[0], &TupleTypes[3], &TupleXTypes[0],
                        &TupleXTypes[1]}),
              "( -> '1) | ('2 * '3 -> '1) | (( -> '1) -> '1) | ('2 * ('2 -> '1) -> '1) | Undefined | "
              "Tuple['1, '2, '3] | Undefined | TupleX['1]['2]")
        << "the arity tables";
    EXPECT_EQ(FunctionTypes[16]->GetArgumentCount(), 16u) << "FunctionTypes[16]";
    EXPECT_EQ(TupleTypes[16]->GetTupleSize(), 16) << "TupleTypes[16]";
}

TEST(TypeHandle, CopiesShareMonomorphicTypesAndClonePolymorphicOnes) {
    const DataType listOfInt = Parse("List[Int]");
    const std::uint32_t before = listOfInt->ReferenceCount();
    {
        const DataType copy(listOfInt);
        EXPECT_EQ(copy.Get(), listOfInt.Get()) << "List[Int] is shared";
        EXPECT_EQ(listOfInt->ReferenceCount(), before + 1) << "sharing adds one reference";
    }
    EXPECT_EQ(listOfInt->ReferenceCount(), before) << "dropping the copy gives it back";

    const DataType listOfVariable = Parse("List['1]");
    const DataType clone(listOfVariable);
    EXPECT_NE(clone.Get(), listOfVariable.Get()) << "List['1] is cloned";
    EXPECT_EQ(clone->Compare(*listOfVariable), 0) << "the clone is structurally equal";
    EXPECT_NE(clone->GetElementType().Get(), listOfVariable->GetElementType().Get())
        << "the clone's variable is its own";

    DataType assigned;
    assigned = listOfVariable;
    EXPECT_NE(assigned.Get(), listOfVariable.Get()) << "copy assignment clones too";
    assigned = listOfInt;
    EXPECT_EQ(assigned.Get(), listOfInt.Get()) << "and shares a monomorphic type";
    DataType moved(std::move(assigned));
    EXPECT_EQ(moved.Get(), listOfInt.Get()) << "a move takes the object";
    EXPECT_EQ(Print(assigned), "Undefined") << "a moved-from handle holds Undefined";
    DataType target = Parse("Int");
    target = std::move(moved);
    EXPECT_EQ(target.Get(), listOfInt.Get()) << "move assignment takes the object";
    EXPECT_EQ(Print(moved) + Print(DataType(nullptr)), "UndefinedUndefined")
        << "a moved-from handle and a handle built from null hold Undefined";
}

TEST(TypeHandle, BindingASlotToATypeThatContainsItThrows) {
    // A monomorphic tuple is shared, so binding it into its own slot would make a cycle.
    DataType tuple = Parse("Tuple[Int, String]");
    try {
        tuple->GetTupleElement(0) = tuple;
        FAIL() << "binding a tuple into its own element slot must throw";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Recursive data type detected!") << "the cycle message";
    }
    EXPECT_EQ(Print(tuple), "Tuple[Undefined, String]") << "the slot is left holding Undefined";
    DataType polymorphic = Parse("Tuple['1, '2]");
    polymorphic->GetTupleElement(0) = polymorphic;
    EXPECT_EQ(Print(polymorphic), "Tuple[Tuple['1, '2], '2]") << "a polymorphic tuple is cloned first";

    DataType list = Parse("List[Tuple[Int]]");
    DataType& inner = list->GetElementType()->GetTupleElement(0);
    EXPECT_THROW(inner = list, std::runtime_error) << "a list inside its own element's slot";
    DataType closed = Parse("Tuple[Int]");
    EXPECT_THROW(closed->GetTupleRest(1) = closed, std::runtime_error) << "a tuple as its own terminator";
    DataType record = Parse("RecordX[a:Int]['2]");
    EXPECT_THROW(*record->GetRecordExtension() = std::move(record), std::runtime_error)
        << "a moved record into its own extension";

    // The shared handles that accessors return stay read-only.
    EXPECT_THROW(Parse("Int")->GetTupleElement(0) = Parse("String"), std::logic_error)
        << "the Undefined handle cannot be bound";
    EXPECT_THROW(Parse("List[Int]")->GetKeyType() = Parse("String"), std::logic_error)
        << "the list's shared key handle cannot be bound";
    EXPECT_EQ(Print(UndefinedHandle()), "Undefined") << "the Undefined handle is unchanged";
    // Moving out of them copies; emptying one would make every list's key Undefined.
    const DataType movedKey(std::move(Parse("List[Int]")->GetKeyType()));
    DataType assignedKey;
    assignedKey = std::move(Parse("Sequence['1][Int]")->GetKeyType());
    const DataType takenKey(Parse("Array[Int]")->GetKeyType().Take());
    EXPECT_EQ(Print(movedKey) + Print(assignedKey) + Print(takenKey), "IntIntInt") << "the moves yield Int";
    for (const char* text : {"List[Int]", "Array[Int]", "Sequence['1][Int]"}) {
        EXPECT_EQ(Print(Parse(text)->GetKeyType()), "Int") << "the key of " << text << " after the moves";
    }
}

TEST(TypeHandle, ComparisonOrdersVariablesFirstAndComparesStructure) {
    EXPECT_LT(Parse("'1")->Compare(*Parse("'2")), 0) << "'1 before '2";
    EXPECT_GT(Parse("'2")->Compare(*Parse("'1")), 0) << "'2 after '1";
    EXPECT_LT(Parse("'1")->Compare(*Parse("Int")), 0) << "a variable before Int";
    EXPECT_GT(Parse("Int")->Compare(*Parse("'1")), 0) << "Int after a variable";
    EXPECT_EQ(Parse("Map[String][Int]")->Compare(*Parse("Map[String][Int]")), 0) << "two parsed maps";
    EXPECT_NE(Parse("Map[String][Int]")->Compare(*Parse("Map[Int][String]")), 0) << "key and value swapped";
    EXPECT_NE(Parse("(Int -> Int)")->Compare(*Parse("(Int * Int -> Int)")), 0) << "argument counts";
    EXPECT_NE(Parse("Numeric['1]")->Compare(*Parse("Value['1]")), 0) << "combined codes";
}

TEST(TypeHandle, AccessorsAnswerPerClass) {
    EXPECT_EQ(Parse("List[String]")->GetKeyType().Get(), IntType.Get())
        << "lists are indexed by the shared Int";
    EXPECT_EQ(Print(Parse("Indexable['2][Int][Float]")->GetKeyType()), "Int") << "an Indexable's own key";
    EXPECT_EQ(&Parse("Int")->GetElementType(), &UndefinedHandle()) << "Int has no element";
    DataType function = Parse("( Int * String -> Bool )");
    EXPECT_EQ(Print(function->GetFunctionSubType(2)), "String") << "argument 2";
    EXPECT_EQ(&function->GetFunctionSubType(3), &UndefinedHandle()) << "beyond the last argument";
    EXPECT_EQ(Parse("Int")->GetArgumentCount(), 0xFFFFFFFFu) << "not a function";
    const DataType application(CreateFunctionApplicationType(1));
    EXPECT_EQ(application->GetArgumentCount(), 2u) << "the applied function counts as an argument";
    const DataType cloned(application->Clone());
    EXPECT_EQ(typeid(*cloned.Get()), typeid(DataTypeFunction)) << "it clones to a function";
    EXPECT_EQ(cloned->Compare(*application), 0) << "with the same sub-types";
}

// "y" or "n" for IsFullyDefined, IsPolymorphic and IsEssentiallyNonPolymorphic.
std::string Predicates(const DataType& type) {
    std::string flags;
    for (bool flag : {type->IsFullyDefined(), type->IsPolymorphic(), type->IsEssentiallyNonPolymorphic()}) {
        flags += flag ? 'y' : 'n';
    }
    return flags;
}

TEST(TypePredicates, FullyDefinedPolymorphicEssentiallyNonPolymorphic) {
    const struct {
        const char* text;
        const char* predicates;
    } cases[] = {{"Int", "yny"},
                 {"'1", "yyn"},
                 {"List['1]", "yyn"},
                 {"List[?]", "nny"},
                 {"Tuple[Int, String]", "yny"},
                 {"TupleX[Int]['4]", "yyy"},
                 {"TupleX['1]['4]", "yyn"},
                 {"RecordX[a:Int]['2]", "yyy"},
                 {"Record[a:'1]", "yyn"},
                 {"Record[]", "yny"},
                 {"Numeric['1]", "yyn"}};
    for (const auto& c : cases) EXPECT_EQ(Predicates(Parse(c.text)), c.predicates) << c.text;

    // A combined type narrowed to one prime is a leaf.
    const DataType narrowed(new DataTypeCombinedPrime(0x10002, Parse("'1")));
    EXPECT_FALSE(narrowed->HasSubTypes()) << "narrowed: no sub-types";
    EXPECT_EQ(Predicates(narrowed), "yny") << "narrowed: not polymorphic";
    EXPECT_EQ(Print(narrowed), "ErrorCombinedType") << "0x10002 has no name";
    EXPECT_THROW(DataTypeCombinedPrime(0x10006, Parse("Int")), zul::Exception)
        << "a combined type needs a variable as its instance";
}

TEST(TypeWalks, SubTypesTraversalAndVariableIndices) {
    EXPECT_EQ(SubTypes(Parse("Tuple[Int, Bool, String]")), "Int Bool String") << "a tuple's elements";
    EXPECT_EQ(SubTypes(Parse("TupleX[Int]['4]")), "Int '4") << "and its extension";
    EXPECT_EQ(SubTypes(Parse("Map[Int][String]")), "String Int") << "a map's value, then its key";
    EXPECT_EQ(SubTypes(Parse("RecordX[b:Int, a:String]['3]")), "String Int '3") << "attributes by name";
    EXPECT_EQ(SubTypes(Parse("Int")), "") << "a prime has none";

    std::uint32_t min = 0, max = 0;
    Parse("( '3 * List['7] -> '5 )").FindMinMaxPolyTypesContinue(min, max);
    EXPECT_EQ(min, 3u) << "smallest variable";
    EXPECT_EQ(max, 7u) << "largest variable, found below List";

    DataType function = Parse("( List[Int] * Bool -> Int )");
    int visits = 0;
    DataTypeVisitorFunction stop([&visits](DataType*) -> VisitResult {
        ++visits;
        return 255;
    });
    EXPECT_FALSE(function->Traverse(stop, 10)) << "255 on the first sub-type stops the walk";
    EXPECT_EQ(visits, 1) << "after one visit";
    std::vector<std::string> seen;
    DataTypeVisitorFunction all([&seen](DataType* type) -> VisitResult {
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
