// The type handle: sharing and cloning on copy, moves, binding slots and the cycle check,
// structural comparison and the accessors' answers.
#include <gtest/gtest.h>

#include <stdexcept>
#include <typeinfo>

#include "datatypes/BuiltInTypes.h"
#include "datatypes/DataTypeFunction.h"
#include "datatypes/DataTypeTuple.h"
#include "tests/datatypes/TypeTestSupport.h"

namespace {

using namespace type_tests;
using QUON_DataTypes::UndefinedHandle;

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
    EXPECT_EQ(Print(moved), "Undefined") << "and leaves Undefined behind";
    EXPECT_EQ(Print(DataType(nullptr)), "Undefined") << "a handle built from null holds Undefined";
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

    // Deeper than a direct sub-type, and through a closed tuple's terminator slot.
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
    const DataType v1 = Parse("'1");
    const DataType v2 = Parse("'2");
    const DataType integer = Parse("Int");
    EXPECT_LT(v1->Compare(*v2), 0) << "'1 before '2";
    EXPECT_GT(v2->Compare(*v1), 0) << "'2 after '1";
    EXPECT_LT(v1->Compare(*integer), 0) << "a variable before Int";
    EXPECT_GT(integer->Compare(*v1), 0) << "Int after a variable";
    EXPECT_EQ(Parse("Map[String][Int]")->Compare(*Parse("Map[String][Int]")), 0) << "two parsed maps";
    EXPECT_NE(Parse("Map[String][Int]")->Compare(*Parse("Map[Int][String]")), 0) << "key and value swapped";
    EXPECT_EQ(Parse("Int")->Compare(*Parse("String")), 2 - 8) << "codes differ: this minus other";
    EXPECT_NE(Parse("(Int -> Int)")->Compare(*Parse("(Int * Int -> Int)")), 0) << "argument counts";
    EXPECT_NE(Parse("Numeric['1]")->Compare(*Parse("Value['1]")), 0) << "combined codes";
}

TEST(TypeHandle, AccessorsAnswerPerClass) {
    DataType map = Parse("Map[String][Int]");
    EXPECT_EQ(Print(map->GetKeyType()), "String") << "a map's key";
    EXPECT_EQ(Print(map->GetElementType()), "Int") << "a map's element is its value";
    EXPECT_EQ(Print(Parse("List[String]")->GetKeyType()), "Int") << "lists are indexed by Int";
    EXPECT_EQ(Parse("List[String]")->GetKeyType().Get(), QUON_DataTypes::IntType.Get())
        << "the key is the shared Int";
    EXPECT_EQ(Print(Parse("Indexable['2][Int][Float]")->GetKeyType()), "Int") << "an Indexable's key";
    EXPECT_EQ(Print(Parse("Recursive[List[Int]]")->GetReferencedType()), "List[Int]") << "a reference";
    EXPECT_EQ(&Parse("Int")->GetElementType(), &UndefinedHandle()) << "Int has no element";

    EXPECT_EQ(Parse("( -> Bool )")->GetArgumentCount(), 0u) << "no arguments";
    DataType function = Parse("( Int * String -> Bool )");
    EXPECT_EQ(function->GetArgumentCount(), 2u) << "two arguments";
    EXPECT_EQ(Print(function->GetFunctionSubType(2)), "String") << "argument 2";
    EXPECT_EQ(&function->GetFunctionSubType(3), &UndefinedHandle()) << "beyond the last argument";
    EXPECT_EQ(Parse("Int")->GetArgumentCount(), 0xFFFFFFFFu) << "not a function";
    const DataType application(QUON_DataTypes::CreateFunctionApplicationType(1));
    EXPECT_EQ(application->GetArgumentCount(), 2u) << "the applied function counts as an argument";
    EXPECT_EQ(Print(application), "('2 * ('2 -> '1) -> '1)") << "an application prints as a function";
    const DataType cloned(application->Clone());
    EXPECT_EQ(typeid(*cloned.Get()), typeid(QUON_DataTypes::DataTypeFunction)) << "it clones to a function";
    EXPECT_EQ(cloned->Compare(*application), 0) << "with the same sub-types";
}

}  // namespace
