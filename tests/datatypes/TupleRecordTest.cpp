// Tuples and records: element and attribute lookups, binding extensions, flattening,
// record comparison and record clones.
#include <gtest/gtest.h>

#include <typeinfo>
#include <vector>

#include "datatypes/DataTypeRecord.h"
#include "datatypes/DataTypeTuple.h"
#include "tests/datatypes/TypeTestSupport.h"

namespace {

using namespace type_tests;
using QUON_DataTypes::UndefinedHandle;

TEST(Tuples, ElementsRestsAndExtensionsOfAClosedTuple) {
    DataType tuple = Parse("Tuple[Int, Bool, String]");
    EXPECT_EQ(tuple->GetTupleSize(), 3) << "three elements";
    EXPECT_EQ(Print(tuple->GetTupleElement(2)), "String") << "element 2";
    EXPECT_EQ(&tuple->GetTupleElement(3), &UndefinedHandle()) << "element 3 does not exist";
    EXPECT_EQ(Print(tuple->GetTupleRest(3)), "Undefined") << "rest 3 is the terminator slot";
    EXPECT_NE(&tuple->GetTupleRest(3), &UndefinedHandle()) << "which belongs to the tuple";
    EXPECT_EQ(&tuple->GetTupleRest(0), &UndefinedHandle()) << "rest 0";
    EXPECT_EQ(&tuple->GetTupleExtension(), &UndefinedHandle()) << "a closed tuple has no extension";
    EXPECT_EQ(Parse("Int")->GetTupleSize(), -1) << "Int is no tuple";
}

TEST(Tuples, BindingTheExtensionAppendsElements) {
    DataType open(QUON_DataTypes::CreateTupleXType(2, 1));
    EXPECT_EQ(Print(open), "TupleX['1, '2]['3]") << "a fresh extendable tuple";
    open->GetTupleExtension() = Parse("Tuple[Int]");
    EXPECT_EQ(open->GetTupleSize(), 3) << "the bound tuple's element joins";
    EXPECT_EQ(Print(open), "Tuple['1, '2, Int]") << "and it prints closed";

    DataType chained = Parse("TupleX[Int]['5]");
    chained->GetTupleExtension() = Parse("TupleX[Bool]['7]");
    EXPECT_EQ(Print(chained), "TupleX[Int, Bool]['7]") << "an extendable tail keeps the tuple open";
    EXPECT_EQ(Print(chained->GetTupleExtension()), "'7") << "the open end is found through the chain";
    std::vector<DataType*> subTypes;
    chained->GetSubTypes(subTypes);
    EXPECT_EQ(subTypes.size(), 3u) << "sub-types flatten the chain: Int, Bool, '7";
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
    EXPECT_EQ(Print(record), "RecordX[a:Int, b:String]['5]") << "it prints flattened too";

    DataType closed = Parse("RecordX[a:Int]['2]");
    *closed->GetRecordExtension() = Parse("Record[b:String]");
    EXPECT_EQ(closed->GetRecordExtension(), nullptr) << "a chain ending closed has no open extension";
    EXPECT_EQ(Print(DataType(closed->FlattenRecord())), "Record[a:Int, b:String]") << "flattens exact";
    EXPECT_EQ(Print(closed), "RecordX[a:Int, b:String][Record[]]") << "prints the closed end";

    EXPECT_EQ(Print(Parse("Record[b:Int, a:String]")), "Record[a:String, b:Int]") << "names in order";
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
    EXPECT_EQ(Print(clone), "Record[]") << "the clone of Record[] prints the same";
    EXPECT_EQ(clone->Compare(*empty), 0) << "and compares equal";
    const DataType exact = Parse("Record[x:List['1], y:Int]");
    const DataType exactClone(exact);
    EXPECT_NE(exactClone.Get(), exact.Get()) << "a polymorphic record is cloned on copy";
    EXPECT_EQ(exactClone->Compare(*exact), 0) << "equal to its source";
    EXPECT_EQ(Print(exactClone), "Record[x:List['1], y:Int]") << "and prints the same";
}

}  // namespace
