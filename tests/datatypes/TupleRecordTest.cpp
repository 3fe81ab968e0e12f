// Tuples and records: element and attribute lookups, binding extensions, flattening,
// record comparison and record clones.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "datatypes/DataTypeRecord.h"
#include "datatypes/DataTypeTuple.h"
#include "tests/datatypes/TypeTestSupport.h"
#include "tests/modules/OnStackOf.h"

namespace {

using namespace type_tests;
using QUON_DataTypes::UndefinedHandle;

// Runs `work` on a thread with a 512 KiB stack, which a walk recursing once per node of a long
// tuple chain overflows.
void OnSmallStack(const std::function<void()>& work) {
    test_support::OnStackOf(512 * 1024, work);
}

TEST(Tuples, ElementsRestsAndExtensions) {
    DataType tuple = Parse("Tuple[Int, Bool, String]");
    EXPECT_EQ(Print(tuple->GetTupleElement(2)), "String") << "element 2";
    EXPECT_EQ(&tuple->GetTupleElement(3), &UndefinedHandle()) << "element 3 does not exist";
    EXPECT_EQ(&tuple->GetTupleRest(0), &UndefinedHandle()) << "rest 0";
    EXPECT_EQ(Print(tuple->GetTupleRest(3)), "Undefined") << "rest 3 is the terminator slot";
    EXPECT_NE(&tuple->GetTupleRest(3), &UndefinedHandle()) << "which belongs to the tuple";
    EXPECT_EQ(&tuple->GetTupleExtension(), &UndefinedHandle()) << "a closed tuple has no extension";

    DataType open(QUON_DataTypes::CreateTupleXType(2, 1));
    EXPECT_EQ(Print(open), "TupleX['1, '2]['3]") << "a fresh extendable tuple";
    open->GetTupleExtension() = Parse("Tuple[Int]");
    EXPECT_EQ(open->GetTupleSize(), 3) << "the bound tuple's element joins";
    EXPECT_EQ(Print(open), "Tuple['1, '2, Int]") << "and it prints closed";
    DataType chained = Parse("TupleX[Int]['5]");
    chained->GetTupleExtension() = Parse("TupleX[Bool]['7]");
    EXPECT_EQ(Print(chained->GetTupleExtension()), "'7") << "the open end is found through the chain";
    EXPECT_EQ(SubTypes(chained), "Int Bool '7") << "sub-types flatten the chain";
}

TEST(Tuples, LongChainsKeepTheStackAndShareWhatNeedsNoClone) {
    OnSmallStack([] {
        constexpr std::uint32_t n = 30000;
        DataType chain(QUON_DataTypes::CreateTupleXType(n, 1));
        chain->GetTupleExtension() = Parse("TupleX[Int]['9]");
        EXPECT_EQ(chain->GetTupleSize(), static_cast<std::int32_t>(n + 1)) << "the bound tuple joined";
        EXPECT_EQ(Print(chain->GetTupleElement(n)), "Int") << "the last element";
        EXPECT_EQ(Print(chain->GetTupleRest(n + 1)), "'9") << "the slot after it";
        const std::string printed = Print(chain);
        EXPECT_EQ(printed.substr(printed.rfind(", '")), ", '30000, Int]['9]") << "the printed end";
        const DataType copy(chain);
        EXPECT_EQ(copy->Compare(*chain), 0) << "a polymorphic chain's clone equals it";
        EXPECT_FALSE(chain->IsEssentiallyNonPolymorphic()) << "its elements are variables";
        std::uint32_t min = 0, max = 0;
        chain.FindMinMaxPolyTypesContinue(min, max);
        EXPECT_EQ(max, n) << "the largest variable";
        chain->GetTupleElement(0) = chain;  // cloned first, then checked for a cycle along the chain
        EXPECT_EQ(chain->GetTupleElement(0)->GetTupleSize(), static_cast<std::int32_t>(n + 1)) << "bound";

        std::string text;
        for (int level = 0; level < 10; ++level) {
            text += "TupleX[Int";
            for (int i = 1; i < 800; ++i) text += ",Int";
            text += "][";
        }
        const DataType parsed = Parse((text + "'1" + std::string(10, ']')).c_str());
        EXPECT_EQ(parsed->GetTupleSize(), 8000) << "ten extensions of 800 elements each";
    });

    const DataType mixed = Parse("Tuple['1, Int, String]");
    const DataType clone(mixed);
    EXPECT_NE(clone.Get(), mixed.Get()) << "the polymorphic first node is cloned";
    EXPECT_EQ(clone->GetTupleRest(1).Get(), mixed->GetTupleRest(1).Get()) << "the rest holds no variable";

    DataType badEnd = Parse("TupleX[Int, Bool]['3]");
    badEnd->GetTupleExtension() = Parse("Int");
    EXPECT_EQ(badEnd->GetTupleSize(), 1) << "a node whose tail is neither tuple nor variable counts none";
    EXPECT_EQ(Print(badEnd), "Tuple[Int]") << "and is not printed";
}

TEST(Records, LookupsAndFlatteningThroughBoundExtensions) {
    DataType record = Parse("RecordX[a:Int]['2]");
    EXPECT_EQ(record->FlattenRecord(), nullptr) << "an open record has nothing to flatten";
    *record->GetRecordExtension() = Parse("RecordX[b:String]['5]");
    ASSERT_NE(record->FindAttribute("b"), nullptr) << "b is found in the bound extension";
    EXPECT_EQ(Print(*record->FindAttribute("b")), "String") << "b's type";
    EXPECT_EQ(record->FindAttribute("c"), nullptr) << "c is nowhere";
    ASSERT_NE(record->GetRecordExtension(), nullptr) << "the chain still ends open";
    EXPECT_EQ(Print(*record->GetRecordExtension()), "'5") << "at '5";
    EXPECT_EQ(Print(DataType(record->FlattenRecord())), "RecordX[a:Int, b:String]['5]") << "flattened";

    DataType closed = Parse("RecordX[a:Int]['2]");
    *closed->GetRecordExtension() = Parse("Record[b:String]");
    EXPECT_EQ(closed->GetRecordExtension(), nullptr) << "a chain ending closed has no open extension";
    EXPECT_EQ(Print(DataType(closed->FlattenRecord())), "Record[a:Int, b:String]") << "flattens exact";
    EXPECT_EQ(Print(closed), "RecordX[a:Int, b:String][Record[]]") << "prints the closed end";

    using QUON_DataTypes::DataTypeExtendableRecord;
    EXPECT_EQ(Print(DataType(new DataTypeExtendableRecord(QUON_DataTypes::AttributeMap()))),
              "RecordX[]['1]")
        << "without variables the fresh extension is '1";
    QUON_DataTypes::AttributeMap attributes;
    attributes.emplace(zul::zulStdString::tString("a"), Parse("'1"));
    attributes.emplace(zul::zulStdString::tString("b"), Parse("List['3]"));
    EXPECT_EQ(Print(DataType(new DataTypeExtendableRecord(std::move(attributes)))),
              "RecordX[a:'1, b:List['3]]['4]")
        << "the fresh extension is one above the largest variable";
}

TEST(Records, ComparisonByAttributesThenOpenExtensions) {
    const DataType ab = Parse("Record[a:Int, b:Int]");
    EXPECT_EQ(Parse("Record[a:Int]")->Compare(*ab), -1) << "a missing attribute orders first";
    EXPECT_EQ(ab->Compare(*Parse("Record[a:Int]")), 1) << "and the other way round";
    EXPECT_EQ(Parse("Record[a:Int]")->Compare(*Parse("Record[a:String]")), 2 - 8) << "Int against String";
    EXPECT_EQ(Parse("Record[b:Int, a:Int]")->Compare(*ab), 0) << "order of writing does not matter";
    EXPECT_EQ(Parse("RecordX[a:Int]['2]")->Compare(*Parse("RecordX[a:Int]['2]")), 0) << "same open end";
    EXPECT_NE(Parse("RecordX[a:Int]['2]")->Compare(*Parse("RecordX[a:Int]['3]")), 0) << "other open end";

    DataType closedEnd = Parse("RecordX[a:Int]['2]");
    *closedEnd->GetRecordExtension() = Parse("Record[]");
    EXPECT_EQ(closedEnd->Compare(*Parse("RecordX[a:Int]['2]")), -1) << "only the other is open";
    EXPECT_EQ(Parse("RecordX[a:Int]['2]")->Compare(*closedEnd), 1) << "only this one is open";
    // Kept as the comparison has always answered: neither open gives -1, even against itself.
    EXPECT_EQ(closedEnd->Compare(*closedEnd), -1) << "both chains end closed";

    const DataType empty = Parse("Record[]");
    const DataType clone(empty->Clone());
    EXPECT_EQ(typeid(*clone.Get()), typeid(QUON_DataTypes::DataTypeRecord)) << "clones are base records";
    EXPECT_EQ(clone->Compare(*empty), 0) << "and compares equal";
    const DataType exact = Parse("Record[x:List['1], y:Int]");
    const DataType exactClone(exact);
    EXPECT_NE(exactClone.Get(), exact.Get()) << "a polymorphic record is cloned on copy";
    EXPECT_EQ(exactClone->Compare(*exact), 0) << "equal to its source";
}

}  // namespace
