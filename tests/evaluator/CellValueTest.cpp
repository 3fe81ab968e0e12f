// Conversions between the value kinds, the order of cells, and date-time texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

#include "datatypes/BuiltInTypes.h"
#include "evaluator/CellClassTable.h"
#include "evaluator/EvInvalidCell.h"
#include "evaluator/PrimitiveCells.h"
#include "tests/evaluator/CellTestSupport.h"

namespace {

using namespace QUON_Evaluator;
using cell_tests::PackDateTime;
using cell_tests::StringCell;
using cell_tests::Value;

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(CellConversions, FloatsBecomeIntegersAndBoolsWithoutUndefinedResults) {
    struct Row {
        double value;
        std::int64_t integer;
        bool truth;
    };
    const Row rows[] = {{2.9, 2, true},
                        {-2.9, -2, true},
                        {0.5, 0, false},
                        {-0.5, 0, false},
                        {1.0, 1, true},
                        {-1.0, -1, true},
                        {1e19, kMin, true},
                        {-1e19, kMin, true},
                        {-9.223372036854775808e18, kMin, true},
                        {kNaN, kMin, true},
                        {std::numeric_limits<double>::infinity(), kMin, true}};
    for (const Row& row : rows) {
        EvFloatCell cell(row.value);
        EXPECT_EQ(cell.GetInteger(), row.integer) << "GetInteger of " << row.value;
        EXPECT_EQ(cell.GetBool() != 0, row.truth) << "GetBool of " << row.value;
    }
    EXPECT_EQ(EvFloatCell(9.2e18).GetInteger(), 9200000000000000000) << "large in-range value truncates";
}

TEST(CellConversions, StringsAreScannedUpToTheirFirstNul) {
    struct Row {
        std::string_view text;
        std::int64_t integer;
        double floating;
        std::uint64_t truth;
    };
    using namespace std::string_view_literals;
    const Row rows[] = {{"12abc", 12, 12.0, 0},
                        {"abc", 0, 0.0, 0},
                        {"", 0, 0.0, 0},
                        {"  -7 apples", -7, -7.0, 0},
                        {"2.5e3x", 2, 2500.0, 0},
                        {"99999999999999999999", std::numeric_limits<std::int64_t>::max(), 1e20, 0},
                        {"4\0"
                         "5"sv,
                         4, 4.0, 0},
                        {"true", 0, 0.0, 1},
                        {"T", 0, 0.0, 1},
                        {"True", 0, 0.0, 0},
                        {"t", 0, 0.0, 0},
                        {"1", 1, 1.0, 0},
                        {"true\0"sv, 0, 0.0, 0}};
    for (const Row& row : rows) {
        StringCell cell(row.text);
        EXPECT_EQ(cell.Get().GetInteger(), row.integer) << "GetInteger of '" << row.text << "'";
        EXPECT_EQ(cell.Get().GetFloat(), row.floating) << "GetFloat of '" << row.text << "'";
        EXPECT_EQ(cell.Get().GetBool(), row.truth) << "GetBool of '" << row.text << "'";
    }
    StringCell null(zul::zulStdString::tString::NullString().Text());
    EXPECT_EQ(null.Get().GetBool(), 0u) << "the null string is not true";
}

TEST(CellConversions, NumbersBoolsAndDateTimesConvertAsTheirWordsSay) {
    EvIntegerCell minusFive(-5);
    EXPECT_EQ(minusFive.GetFloat(), -5.0) << "integer to float";
    EXPECT_NE(minusFive.GetBool(), 0u) << "non-zero integer is true";
    EXPECT_EQ(Value(minusFive), "-5") << "integer text";
    EvBoolCell yes(1), no(0);
    EXPECT_EQ(yes.GetFloat(), 1.0) << "bool to float";
    EXPECT_EQ(Value(yes), "true");
    EXPECT_EQ(Value(no), "false");
    EvFloatCell tenth(0.1), two(2.0);
    EXPECT_EQ(Value(tenth), "0.1") << "shortest round-trip text";
    EXPECT_EQ(Value(two), "2") << "GetString has no forced point";
    std::uint64_t packed = 0;
    EXPECT_EQ(minusFive.GetDateTime(packed), static_cast<std::uint64_t>(-5)) << "payload word unchanged";
    EXPECT_EQ(packed, static_cast<std::uint64_t>(-5)) << "out-parameter written";
    EvDateTimeCell dateTime(0xFFFFFFFF00000001u);
    EXPECT_EQ(dateTime.GetInteger(), static_cast<std::int64_t>(0xFFFFFFFF00000001u)) << "word as signed";
    EXPECT_EQ(dateTime.GetFloat(), static_cast<double>(static_cast<std::int64_t>(0xFFFFFFFF00000001u)));
}

TEST(CellConversions, DateTimesPrintAsTheirPackedFieldsSay) {
    struct Row {
        std::uint64_t word;
        const char* text;
    };
    const Row rows[] = {
        {PackDateTime(0, 0, 0, 13, 5, 9, 250), "13:05:09"},
        {PackDateTime(7024, 2, 29), "2024-02-29"},
        {PackDateTime(7024, 2, 29, 13, 5, 9, 250), "2024-02-29-13:05:09.250"},
        {PackDateTime(5000, 1, 1), "-001-01-01"},
        {PackDateTime(4980, 12, 31), "-021-12-31"},
        {PackDateTime(5001, 1, 1), "0001-01-01"},
        {PackDateTime(0, 3, 4), "0000-03-04"},
        {1u << 23, "0000-00-00"},                                 // bit 23 alone makes a date
        {PackDateTime(7024, 2, 29) | 0xFF000000u, "2024-02-29"},  // bits 24-31 never print
    };
    for (const Row& row : rows) {
        EvDateTimeCell cell(row.word);
        EXPECT_EQ(Value(cell), row.text) << "GetString of " << std::hex << row.word;
        EXPECT_EQ(cell_tests::Plain(cell), row.text) << "ToString";
        EXPECT_EQ(cell_tests::Quoted(cell), row.text) << "ToQuotedString";
    }
}

TEST(CellOrder, CellsOfDifferentClassesNeverCompareEqual) {
    EvIntegerCell one(1);
    EvFloatCell oneFloat(1.0);
    EXPECT_NE(one.Compare(oneFloat), 0) << "integer against float";
    EXPECT_EQ(one.Compare(oneFloat) < 0, oneFloat.Compare(one) > 0) << "antisymmetric";
    EXPECT_NE(one.CompareRaw(oneFloat), 0) << "raw order";
    EXPECT_EQ(one.CompareRaw(EvIntegerCell(1)), 0) << "raw order of equal words";
    EXPECT_EQ(EvIntegerCell(2).CompareRaw(EvIntegerCell(-1)), -1) << "raw payloads compare unsigned";
}

TEST(CellOrder, CellsOfOneClassCompareByValue) {
    EXPECT_EQ(EvIntegerCell(-1).Compare(EvIntegerCell(1)), -1) << "integers signed";
    EXPECT_EQ(EvBoolCell(2).Compare(EvBoolCell(1)), 1) << "bools unsigned";
    EXPECT_EQ(EvFloatCell(-0.5).Compare(EvFloatCell(0.25)), -1) << "floats";
    EXPECT_EQ(EvFloatCell(0.0).Compare(EvFloatCell(-0.0)), 0) << "signed zeros";
    EXPECT_EQ(EvFloatCell(kNaN).Compare(EvFloatCell(kNaN)), 0) << "NaN equals NaN";
    EXPECT_EQ(EvFloatCell(kNaN).Compare(EvFloatCell(1e308)), 1) << "NaN after every number";
    EXPECT_EQ(EvFloatCell(1.0).Compare(EvFloatCell(kNaN)), -1) << "numbers before NaN";

    StringCell ab("ab"), abc("abc"), b("b"), high("\xE9"), z("z"), ab2("ab");
    EXPECT_EQ(ab.Get().Compare(abc.Get()), -1) << "a prefix comes first";
    EXPECT_EQ(abc.Get().Compare(ab.Get()), 1);
    EXPECT_GT(b.Get().Compare(abc.Get()), 0) << "bytes before length";
    EXPECT_GT(high.Get().Compare(z.Get()), 0) << "bytes compare unsigned";
    EXPECT_EQ(ab.Get().Compare(ab2.Get()), 0) << "equal texts";

    const std::uint64_t date = PackDateTime(7024, 2, 29, 1, 2, 3, 4);
    EXPECT_EQ(EvDateTimeCell(date).Compare(EvDateTimeCell(date | 0xF8000000ull << 32)), 0)
        << "time bits 27-31 do not order";
    EXPECT_EQ(EvDateTimeCell(date | 0x01000000u).Compare(EvDateTimeCell(date)), 1)
        << "date bits 24-31 order";
    EXPECT_EQ(
        EvDateTimeCell(PackDateTime(7024, 2, 28, 23)).Compare(EvDateTimeCell(PackDateTime(7024, 2, 29))),
        -1)
        << "date half first";
    EXPECT_EQ(EvCell(3).Compare(EvCell(5)), -1) << "root cells compare their words";
}

TEST(CellClasses, StaticTypesAndIdentitiesAreThoseOfTheBuiltInTypes) {
    EXPECT_EQ(EvIntegerCell(0).GetStaticType(), &QUON_DataTypes::IntType);
    EXPECT_EQ(EvFloatCell(0).GetType().Get(), QUON_DataTypes::FloatType.Get());
    EXPECT_EQ(EvBoolCell(0).GetType()->TypeCode(), 1) << "Bool code";
    EXPECT_EQ(EvDateTimeCell(0).GetType()->TypeCode(), 131073) << "DateTime code";
    StringCell text("x");
    EXPECT_EQ(text.Get().GetType()->TypeCode(), 8) << "String code";
    EXPECT_TRUE(text.Get().IsStringCell());
    EXPECT_FALSE(EvIntegerCell(0).IsStringCell());
    EXPECT_EQ(EvCell().GetStaticType()->Get(), QUON_DataTypes::UndefinedType.Get()) << "root is undefined";

    const CellClassTable& table = CellClasses();
    EXPECT_TRUE(table.IsA(EvIntegerCell(7), CellClass::kInteger));
    EXPECT_TRUE(table.IsA(EvDateTimeCell(7), CellClass::kDateTime));
    EXPECT_TRUE(table.IsA(text.Get(), CellClass::kString));
    EXPECT_TRUE(table.IsA(EvCell(), CellClass::kCell));
    EXPECT_FALSE(table.IsA(EvBoolCell(1), CellClass::kInteger));
}

// The table slot of a virtual operation: an Itanium pointer to a virtual member holds
// 1 + the slot's byte offset in the table.
template <class Member>
std::size_t Slot(Member member) {
    std::uintptr_t raw;
    std::memcpy(&raw, &member, sizeof raw);
    return (raw - 1) / sizeof(void*);
}

TEST(CellClasses, TheOperationTableKeepsTheOrderBothModulesShare) {
    // Operation n (from 1) takes slot n - 1 up to the destructor (30), which takes two slots;
    // operation n after it takes slot n.
    const std::size_t slots[] = {Slot(&EvCell::PushEvaluated),
                                 Slot(&EvCell::EvaluateInto),
                                 Slot(&EvCell::EvaluateIntoVariant),
                                 Slot(&EvCell::EvaluateNew),
                                 Slot(&EvCell::GetInteger),
                                 Slot(&EvCell::GetFloat),
                                 Slot(&EvCell::GetBool),
                                 Slot(&EvCell::GetDateTime),
                                 Slot(&EvCell::GetString),
                                 Slot(&EvCell::PushEvaluatedAlt),
                                 Slot(&EvCell::EvaluateIntoAlt),
                                 Slot(&EvCell::EvaluateNewAlt),
                                 Slot(&EvCell::GetIntegerAlt),
                                 Slot(&EvCell::GetFloatAlt),
                                 Slot(&EvCell::GetBoolAlt),
                                 Slot(&EvCell::GetDateTimeAlt),
                                 Slot(&EvCell::GetStringAlt),
                                 Slot(&EvCell::GetElement),
                                 Slot(&EvCell::DelegatedActionA),
                                 Slot(&EvCell::DelegatedActionB),
                                 Slot(&EvCell::SelfReference),
                                 Slot(&EvCell::DelegatedCallA),
                                 Slot(&EvCell::KindFlagA),
                                 Slot(&EvCell::DelegatedCallB),
                                 Slot(&EvCell::GetStaticType),
                                 Slot(&EvCell::IsStringCell),
                                 Slot(&EvCell::KindFlagB),
                                 Slot(&EvCell::GetType),
                                 Slot(&EvCell::CompareRaw),
                                 Slot(&EvCell::ReleaseData),
                                 Slot(&EvCell::HookA),
                                 Slot(&EvCell::Accept),
                                 Slot(&EvCell::CopyTo),
                                 Slot(&EvCell::SelfReferenceAlt),
                                 Slot(&EvCell::KindFlagC),
                                 Slot(&EvCell::GetAuxiliaryA),
                                 Slot(&EvCell::CloneData),
                                 Slot(&EvCell::HookB),
                                 Slot(&EvCell::Compare),
                                 Slot(&EvCell::ToString),
                                 Slot(&EvCell::ToShortString),
                                 Slot(&EvCell::ToQuotedString),
                                 Slot(&EvCell::KindFlagD),
                                 Slot(&EvCell::GetAuxiliaryB),
                                 Slot(&EvCell::KindFlagE),
                                 Slot(&EvCell::KindFlagF),
                                 Slot(&EvCell::KindFlagG)};
    ASSERT_EQ(std::size(slots), 47u) << "every operation but the destructor";
    for (std::size_t i = 0; i < std::size(slots); ++i) {
        const std::size_t operation = i < 29 ? i + 1 : i + 2;
        EXPECT_EQ(slots[i], operation < 30 ? operation - 1 : operation) << "operation " << operation;
    }
}

}  // namespace
