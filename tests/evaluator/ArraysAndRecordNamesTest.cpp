// Array index normalisation and the shared record-names tables.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "evaluator/fArrayOfPrimitiveValues.h"
#include "evaluator/utilRecordNames.h"

namespace {

using QUON_Evaluator::NormalizeIndex;
using QUON_Evaluator::utilRecordNames;

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

TEST(RecordNames, NamesMapToTheirPositionsAndAbsentNamesToMinusOne) {
    const auto table = utilRecordNames::FromNames({"intAttr1", "intAttr2"});
    EXPECT_EQ(table->Find("intAttr1"), 0);
    EXPECT_EQ(table->Find("intAttr2"), 1);
    EXPECT_EQ(table->Find("intAttr"), -1) << "a prefix is not a name";
    EXPECT_EQ(table->Find("intAttr3"), -1);
    EXPECT_EQ(table->Find(""), -1) << "empty name";
    EXPECT_EQ(table->Find(nullptr), -1) << "missing name";

    const auto repeated = utilRecordNames::FromNames({"b", "a", "b", "c"});
    EXPECT_EQ(repeated->Size(), 3u) << "a repeated name is added once";
    EXPECT_EQ(repeated->Find("b"), 0) << "keeps its first index";
    EXPECT_EQ(repeated->Find("c"), 2) << "the next name takes the next index";
}

TEST(RecordNames, NamesOrderByUnsignedBytesWithPrefixesFirst) {
    const auto table = utilRecordNames::FromNames({"\xE9t\xE9", "b", "ab", "a", "B"});
    std::vector<std::string> order;
    for (const auto& [name, index] : table->Names()) order.push_back(name.Text());
    EXPECT_EQ(order, (std::vector<std::string>{"B", "a", "ab", "b", "\xE9t\xE9"}));
    EXPECT_EQ(table->Find("\xE9t\xE9"), 0) << "high bytes are found";
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

}  // namespace
