// Array index normalisation, the record-names tables, the stand-in host's value factories read
// back through the library's views of arrays and records, and a steady footprint over a million values.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "diagnostics/EvException.h"
#include "evaluator/PooledCell.h"
#include "evaluator/PrimitiveCells.h"
#include "evaluator/RecordView.h"
#include "evaluator/fArrayOfPrimitiveValues.h"
#include "evaluator/utilRecordNames.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"
#include "host/HostValues.h"
#include "hostabi/LibraryDescriptor.h"
#include "memory/InterModuleProxy.h"
#include "memory/ThreadCellPools.h"
#include "strings/StringMemoryPool.h"
#include "tests/evaluator/CellTestSupport.h"

#if defined(QUON_SANITIZE)
// From the AddressSanitizer runtime: bytes the program holds (freed blocks excluded).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using namespace QUON_Evaluator;
using cell_tests::Slot;
using IntArray = fArrayOfPrimitiveValues<long long>;

ParentContext& Host() {
    return *quon_host::HostContext();
}

// The attribute cell of `name` in a record cell, reached as the library reaches it.
EvCell* Attribute(EvCell* record, const char* name) {
    return RecordView(*record).Find(name);
}

TEST(ArrayIndex, IndicesOutsideTheArrayWrapAround) {
    EXPECT_EQ(NormalizeIndex(-1, 5), 4) << "-1 is the last element";
    EXPECT_EQ(NormalizeIndex(5, 5), 0) << "one past the end is the first";
    EXPECT_EQ(NormalizeIndex(12, 5), 2);
    EXPECT_EQ(NormalizeIndex(-11, 5), 4);
    EXPECT_EQ(NormalizeIndex(3, 5), 3) << "in range unchanged";
    EXPECT_EQ(NormalizeIndex(7, 0), 7) << "empty array: unchanged";
    EXPECT_EQ(NormalizeIndex(-7, -2), -7) << "negative count: unchanged";
    EXPECT_EQ(NormalizeIndex(std::numeric_limits<std::int64_t>::min(), 5), 2) << "most negative index";
}

TEST(RecordNames, NamesMapToTheirFirstPositionsInUnsignedByteOrder) {
    const auto table = utilRecordNames::FromNames({"\xE9t\xE9", "b", "ab", "b", "a", "B"});
    EXPECT_EQ(table->Size(), 5u) << "a repeated name is added once";
    EXPECT_EQ(table->Find("b"), 1) << "and keeps its first index";
    EXPECT_EQ(table->Find("a"), 3) << "the next name takes the next index";
    EXPECT_EQ(table->Find("\xE9t\xE9"), 0) << "high bytes are found";
    EXPECT_EQ(table->Find("abc"), -1) << "a longer name is not a name";
    EXPECT_EQ(table->Find("\xE9"), -1) << "a prefix is not a name";
    EXPECT_EQ(table->Find(""), -1) << "empty name";
    EXPECT_EQ(table->Find(nullptr), -1) << "missing name";
    std::vector<std::string> order;
    for (const auto& [name, index] : table->Names()) order.push_back(name.Text());
    EXPECT_EQ(order, (std::vector<std::string>{"B", "a", "ab", "b", "\xE9t\xE9"})) << "prefixes first";
}

TEST(RecordNames, SharedTablesAreCopiedBeforeAnInsertion) {
    auto handle = utilRecordNames::FromNames({"x"});
    const utilRecordNames* alone = handle.get();
    EXPECT_EQ(utilRecordNames::AddName(handle, "y"), 1);
    EXPECT_EQ(handle.get(), alone) << "an unshared table is changed in place";
    const auto other = handle;  // a second record of the same shape
    EXPECT_EQ(utilRecordNames::AddName(handle, "x"), 0) << "present name: old index";
    EXPECT_EQ(handle.get(), alone) << "no copy when nothing is inserted";
    EXPECT_EQ(utilRecordNames::AddName(handle, "z"), 2);
    EXPECT_NE(handle.get(), alone) << "a shared table is copied";
    EXPECT_EQ(handle.use_count(), 1) << "the copy has its own handle";
    EXPECT_EQ(other->Size(), 2u) << "the other owner keeps the old table";
    EXPECT_EQ(other->Find("z"), -1);
    EXPECT_EQ(handle->Find("y"), 1) << "the copy keeps the old names";
}

TEST(HostValues, SettersWriteCellsTheAccessorsReadBackAndCustomObjectsLiveWhileCopied) {
    Slot slot, copy;
    EvCell* cell = slot.Cell();
    Host().setFloat(cell, 2.5);
    EXPECT_EQ(cell->GetFloat(), 2.5) << "setFloat";
    Host().setString(cell, nullptr, 0);
    EXPECT_EQ(cell_tests::Value(*cell), "") << "setString without bytes: the empty string";
    cell->ReleaseData();

    static int destroyed;
    destroyed = 0;
    static int object = 42;
    QUON_ExternLib::CustomTypeEntry entry{"TestType", nullptr, [](void*) { ++destroyed; }, nullptr, 0};
    Host().setCustom(cell, &object, &entry);
    cell->EvaluateInto(copy.bytes);
    cell->ReleaseData();
    EXPECT_EQ(destroyed, 0) << "a copy keeps the object alive";
    EXPECT_EQ(Host().getCustom(copy.Cell()), &object) << "the copy holds the same object";
    copy.Cell()->ReleaseData();
    EXPECT_EQ(destroyed, 1) << "the last release destroys the object once";
    EvIntegerCell notCustom(1);
    EXPECT_EQ(Host().getCustom(&notCustom), nullptr) << "getCustom of another cell";
}

TEST(HostValues, ACustomObjectsTextProxyIsDestroyedWhenTheHostCopyFails) {
    static int live;
    struct CountedText : zul::InterModuleProxy<std::string> {
        CountedText() : InterModuleProxy("Test-1") { ++live; }
        ~CountedText() override { --live; }
    };
    static int object = 1;
    QUON_ExternLib::CustomTypeEntry entry{
        "TestType", nullptr, [](void*) {},
        [](void*) -> zul::InterModuleProxy<std::string>* { return new CountedText; }, 0};
    Slot slot;
    Host().setCustom(slot.Cell(), &object, &entry);
    zul::zulStdString::tString text;
    using zul::zulStdString::tBaseString;
    tBaseString::setZulStringAllocAPI(reinterpret_cast<void*>(+[]() -> void* { throw std::bad_alloc(); }),
                                      reinterpret_cast<void*>(&tBaseString::freeFnImp));
    EXPECT_THROW(slot.Cell()->ToString(text, true), std::bad_alloc);
    tBaseString::setZulStringAllocAPI(reinterpret_cast<void*>(&tBaseString::allocFnImp),
                                      reinterpret_cast<void*>(&tBaseString::freeFnImp));
    EXPECT_EQ(live, 0) << "the proxy went back to its producer";
    slot.Cell()->ToString(text, true);
    EXPECT_EQ(text.Text(), "Test-1");
    EXPECT_EQ(live, 0);
    slot.Cell()->ReleaseData();
}

TEST(HostValues, ArraysMadeByTheHostAreReadThroughTheArrayView) {
    EvCell* carrier = Host().makeArray(4);
    ASSERT_EQ(IntArray::Of(carrier)->Count(), 4);
    for (int i = 0; i < 4; ++i) Host().setInt(IntArray::Of(carrier)->ElementCell(i), 10 * (i + 1));
    Slot result;
    PooledCell(carrier).MoveImageTo(result.bytes);  // the array moves into the result slot
    auto* array = IntArray::Of(result.Cell());
    std::vector<long long> values;
    for (long long value : *array) values.push_back(value);
    EXPECT_EQ(values, (std::vector<long long>{10, 20, 30, 40})) << "walk the values from first to last";
    EXPECT_EQ(array->Cells().end() - array->Cells().begin(), 4) << "the element cells";
    EXPECT_EQ((*array)[-1], 40) << "negative index from the end";
    EXPECT_EQ((*array)[5], 20) << "index past the end wraps";
    EXPECT_EQ((*fArrayOfPrimitiveValues<int>::Of(result.Cell()))[0], 10)
        << "32-bit view reads the low half";
    EXPECT_EQ(cell_tests::Plain(*result.Cell()), "[10, 20, 30, 40]");
    EXPECT_EQ(
        reinterpret_cast<EvCell*>(result.Cell()->GetElement(reinterpret_cast<void*>(-1)))->GetInteger(), 40)
        << "GetElement normalises";
    result.Cell()->ReleaseData();

    EvCell* outer = Host().makeArray(2);
    for (int row = 0; row < 2; ++row) {
        EvCell* inner = Host().makeArray(1);
        Host().setString(IntArray::Of(inner)->ElementCell(0), "s", 1);
        CopyCellWords(IntArray::Of(outer)->ElementCell(row), *inner);
        FreeCell(inner);
    }
    EXPECT_EQ(cell_tests::Plain(*outer), "[['s'], ['s']]") << "nested arrays";
    ReleasePooledCell(outer);
    EvCell* empty = Host().makeArray(0);
    EXPECT_EQ(IntArray::Of(empty)->Count(), 0) << "an empty array";
    EXPECT_THROW((*IntArray::Of(empty))[0], EvException) << "has no element to index";
    ReleasePooledCell(empty);
}

TEST(HostValues, RecordsMadeByTheHostAreReadByAttributeName) {
    const auto names = utilRecordNames::FromNames({"intAttr1", "intAttr2", "name"});
    Slot record;
    Host().makeRecord(record.Cell(), &names);
    Host().setInt(Attribute(record.Cell(), "intAttr2"), 2);
    Host().setInt(Attribute(record.Cell(), "intAttr1"), 1);
    Host().setString(Attribute(record.Cell(), "name"), "n", 1);
    EXPECT_EQ(names.use_count(), 2) << "the record shares the names table";
    const RecordView view(*record.Cell());
    EXPECT_EQ(&view.Names(), names.get()) << "the block's word 8 is the table";
    EXPECT_EQ(static_cast<const char*>(view.Block()) + view.Distance(),
              reinterpret_cast<const char*>(view.Attribute(0)))
        << "the distance leads from the block to the first attribute";
    EXPECT_EQ(Attribute(record.Cell(), "intAttr2")->GetInteger(), 2) << "by name";
    EXPECT_EQ(Attribute(record.Cell(), "intAttr3"), nullptr) << "absent name";
    EXPECT_EQ(cell_tests::Plain(*record.Cell()), "{intAttr1: 1, intAttr2: 2, name: 'n'}");

    Slot copy;
    record.Cell()->EvaluateInto(copy.bytes);
    record.Cell()->ReleaseData();
    EXPECT_EQ(cell_tests::Value(*Attribute(copy.Cell(), "name")), "n") << "the copy's attributes live on";
    copy.Cell()->ReleaseData();
    EXPECT_EQ(names.use_count(), 1) << "the last record ends the thread's hold: nothing of the table is kept";
    std::thread([&] {
        Slot other;
        Host().makeRecord(other.Cell(), &names);
        Host().makeRecord(copy.Cell(), &names);
        EXPECT_EQ(names.use_count(), 2) << "another thread takes one hold of its own";
        other.Cell()->ReleaseData();
    }).join();
    EXPECT_EQ(names.use_count(), 2) << "a record made on an ended thread keeps its hold";
    copy.Cell()->ReleaseData();
    EXPECT_EQ(names.use_count(), 1) << "its last record ends the ended thread's hold";
    // A record made here and released on another thread leaves an idle hold, which this thread
    // drops when it next makes a record.
    Host().makeRecord(copy.Cell(), &names);
    std::thread([&] { copy.Cell()->ReleaseData(); }).join();
    EXPECT_EQ(names.use_count(), 2) << "the idle hold is this thread's until it makes a record";
    const auto other = QUON_Evaluator::utilRecordNames::Make();
    Host().makeRecord(copy.Cell(), &other);
    EXPECT_EQ(names.use_count(), 1) << "making a record drops the idle hold first";
    copy.Cell()->ReleaseData();
}

// Cell zones and string zones of this thread's pools, and the heap in use.
struct Footprint {
    std::size_t cellZones;
    std::size_t stringZones;
    std::size_t heapBytes;
};

Footprint Measure() {
    Footprint footprint{CurrentThreadCellPools().GetCellPool<1>().GetZoneManager().GetZoneCount(),
                        zul::zulStdString::StringMemoryPool().GetZoneManager().GetZoneCount(), 0};
#if defined(QUON_SANITIZE)
    footprint.heapBytes = __sanitizer_get_current_allocated_bytes();
#else
    malloc_trim(0);
    footprint.heapBytes = mallinfo2().uordblks;
#endif
    return footprint;
}

// One string cell, one array of three strings and one record, made through the host and released.
void MakeAndRelease(const std::shared_ptr<utilRecordNames>& names) {
    static const std::string text = "a string longer than the small buffer of a standard string";
    Slot slot;
    Host().setString(slot.Cell(), text.data(), text.size());
    slot.Cell()->ReleaseData();

    EvCell* carrier = Host().makeArray(3);
    for (int i = 0; i < 3; ++i)
        Host().setString(IntArray::Of(carrier)->ElementCell(i), text.data(), text.size());
    CopyCellWords(slot.bytes, *carrier);
    FreeCell(carrier);
    slot.Cell()->ReleaseData();

    Host().makeRecord(slot.Cell(), &names);
    Host().setInt(Attribute(slot.Cell(), "intAttr1"), 7);
    Host().setString(Attribute(slot.Cell(), "intAttr2"), text.data(), text.size());
    slot.Cell()->ReleaseData();
}

TEST(HostValues, AMillionValuesThroughTheHostLeaveTheFootprintFlat) {
#if defined(QUON_SANITIZE)
    constexpr int kCycles = 100000;
#else
    constexpr int kCycles = 1000000;
#endif
    const auto names = utilRecordNames::FromNames({"intAttr1", "intAttr2"});
    for (int i = 0; i < 1000; ++i) MakeAndRelease(names);  // warm-up: pools and caches settle
    const Footprint before = Measure();
    for (int i = 0; i < kCycles; ++i) MakeAndRelease(names);
    const Footprint after = Measure();
    EXPECT_EQ(after.cellZones, before.cellZones) << "no new cell zones";
    EXPECT_EQ(after.stringZones, before.stringZones) << "no new string zones";
    EXPECT_LE(after.heapBytes, before.heapBytes + 64 * 1024) << "heap in use stays flat";
}

}  // namespace
