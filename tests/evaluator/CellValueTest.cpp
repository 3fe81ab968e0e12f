// Conversions between the value kinds, the printed forms of cells, their order and their classes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "datatypes/BuiltInTypes.h"
#include "evaluator/CellClassTable.h"
#include "evaluator/EvInvalidCell.h"
#include "evaluator/PrimitiveCells.h"
#include "tests/evaluator/CellTestSupport.h"

namespace {

using namespace QUON_Evaluator;
using cell_tests::PackDateTime;
using cell_tests::Plain;
using cell_tests::Quoted;
using cell_tests::StringCell;
using cell_tests::Value;

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string Print(const QUON_DataTypes::DataType& type) {
    return type.ToString().Text();
}
std::string Short(const EvCell& cell, bool quoted) {
    return cell_tests::Text([&](auto& out) { cell.ToShortString(out, quoted); });
}

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
                        {"4\0005"sv, 4, 4.0, 0},
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
    EXPECT_EQ(EvBoolCell(1).GetFloat(), 1.0) << "bool to float";
    std::uint64_t packed = 0;
    EXPECT_EQ(minusFive.GetDateTime(packed), static_cast<std::uint64_t>(-5)) << "payload word unchanged";
    EXPECT_EQ(packed, static_cast<std::uint64_t>(-5)) << "out-parameter written";
    constexpr std::uint64_t kWord = 0xFFFFFFFF00000001u;
    EXPECT_EQ(EvDateTimeCell(kWord).GetInteger(), static_cast<std::int64_t>(kWord)) << "word as signed";
    EXPECT_EQ(EvDateTimeCell(kWord).GetFloat(), static_cast<double>(static_cast<std::int64_t>(kWord)));

    EvBoolCell yes(1), no(0);
    EvFloatCell tenth(0.1), two(2.0);
    EXPECT_EQ(Value(minusFive) + " " + Value(yes) + " " + Value(no) + " " + Value(tenth) + " " + Value(two),
              "-5 true false 0.1 2")
        << "GetString: shortest round-trip texts, no forced point";
    EXPECT_EQ(Plain(EvFloatCell(3.0)) + " " + Plain(EvFloatCell(0.1)) + " " + Plain(EvFloatCell(1e20)) +
                  " " + Plain(EvFloatCell(std::numeric_limits<double>::infinity())) + " " +
                  Quoted(EvFloatCell(3.0)),
              "3. 0.1 1e+20. inf. 3.")
        << "ToString and ToQuotedString force a point into a float's text";
    EXPECT_EQ(Plain(EvIntegerCell(-42)) + " " + Quoted(EvBoolCell(1)) + " " + Short(EvIntegerCell(7), true),
              "-42 true 7")
        << "integers and bools print their plain text in every form";
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
        EXPECT_EQ(Plain(cell), row.text) << "ToString";
        EXPECT_EQ(Quoted(cell), row.text) << "ToQuotedString";
    }
}

TEST(CellOrder, CellsOfOneClassCompareByValueAndOfDifferentClassesNeverEqual) {
    EvIntegerCell one(1);
    EvFloatCell oneFloat(1.0);
    EXPECT_NE(one.Compare(oneFloat), 0) << "integer against float";
    EXPECT_EQ(one.Compare(oneFloat) < 0, oneFloat.Compare(one) > 0) << "antisymmetric";
    EXPECT_NE(one.CompareRaw(oneFloat), 0) << "raw order";
    EXPECT_EQ(one.CompareRaw(EvIntegerCell(1)), 0) << "raw order of equal words";
    EXPECT_EQ(EvIntegerCell(2).CompareRaw(EvIntegerCell(-1)), -1) << "raw payloads compare unsigned";

    EXPECT_EQ(EvIntegerCell(-1).Compare(EvIntegerCell(1)), -1) << "integers signed";
    EXPECT_EQ(EvBoolCell(2).Compare(EvBoolCell(1)), 1) << "bools unsigned";
    EXPECT_EQ(EvCell(3).Compare(EvCell(5)), -1) << "root cells compare their words";
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
}

TEST(CellPrinting, QuotedStringsEscapeControlHighQuoteAndBackslashBytes) {
    struct Row {
        std::string text;
        const char* quoted;
    };
    const Row rows[] = {{"it's", "'it\\'s'"},
                        {"a\nb", "'a\\012b'"},
                        {"caf\xE9", "'caf\\351'"},
                        {"\x7F", "'\x7F'"},
                        {"say \"hi\"", "'say \\\"hi\\\"'"},
                        {"C:\\dir", "'C:\\\\dir'"},
                        {std::string("\0x", 2), "'\\000x'"},
                        {"", "''"}};
    for (const Row& row : rows) {
        StringCell cell(row.text);
        EXPECT_EQ(Quoted(cell.Get()), row.quoted) << "ToQuotedString of '" << row.text << "'";
        EXPECT_EQ(cell_tests::Text([&](auto& out) { cell.Get().ToString(out, true); }), row.quoted)
            << "ToString quoted";
        EXPECT_EQ(Plain(cell.Get()), row.text) << "plain text is the text itself";
    }
}

TEST(CellPrinting, ShortTextsAbbreviateLongStringsAndShowTheNullString) {
    const std::string fifty(50, 'x');
    StringCell at50(fifty);
    EXPECT_EQ(Short(at50.Get(), false), fifty) << "50 bytes stay whole";
    EXPECT_EQ(Short(at50.Get(), true), "'" + fifty + "'") << "50 bytes quoted, no suffix";
    std::string fiftyOne;
    for (int i = 0; i < 51; ++i) fiftyOne += static_cast<char>('a' + i % 26);
    EXPECT_EQ(Short(StringCell(fiftyOne).Get(), false),
              fiftyOne.substr(0, 30) + " ... " + fiftyOne.substr(41) + " (len=51)")
        << "51 bytes abbreviated";
    EXPECT_EQ(Short(StringCell(std::string(59, 'q') + "'").Get(), true),
              "'" + std::string(30, 'q') + " ... " + std::string(9, 'q') + "\\'' (len=60)")
        << "quoted after the cut, suffix after the quote";

    const std::string nullText = zul::zulStdString::tString::NullString().Text();
    StringCell null(nullText);
    EXPECT_EQ(Quoted(null.Get()), "'NULL'") << "the null string quoted";
    EXPECT_EQ(Short(null.Get(), true), "'NULL'") << "short, quoted";
    EXPECT_EQ(Short(null.Get(), false), nullText) << "short, plain: its own text";
}

TEST(CellPrinting, CellsWithoutAValueFormPrintTheGenericText) {
    cell_tests::Slot slot;
    EvCell* invalid = EvInvalidCell::MakeAt(slot.bytes);
    EXPECT_EQ(Plain(*invalid),
              "*EvCell[" + std::to_string(reinterpret_cast<std::uintptr_t>(invalid->ClassIdentity())) +
                  ":" + std::to_string(reinterpret_cast<std::intptr_t>(slot.bytes)) + "]*")
        << "identity and own address";
    const std::string root = Plain(EvCell(static_cast<CellWord>(-3)));
    EXPECT_TRUE(root.starts_with("*EvCell[") && root.ends_with(":-3]*")) << "a root cell's payload, signed";
}

TEST(CellClasses, TypesAndClassesOfTheCells) {
    StringCell text("x");
    EXPECT_EQ(EvIntegerCell(0).GetStaticType(), &QUON_DataTypes::IntType) << "the Int constant itself";
    EXPECT_EQ(Print(EvDateTimeCell(0).GetType()) + " " + Print(*EvCell().GetStaticType()),
              "DateTime Undefined")
        << "a date-time's and a root cell's type";
    const CellClassTable& table = CellClasses();
    EXPECT_TRUE(table.IsA(text.Get(), CellClass::kString) && table.IsA(EvCell(), CellClass::kCell))
        << "IsA of a cell's own class";
    EXPECT_FALSE(table.IsA(EvBoolCell(1), CellClass::kInteger)) << "IsA of another class";
}

// The table slots of virtual operations: an Itanium pointer to a virtual member holds
// 1 + the slot's byte offset in the table.
template <class... Members>
std::vector<std::size_t> Slots(Members... members) {
    const auto slot = [](auto member) {
        std::uintptr_t raw;
        std::memcpy(&raw, &member, sizeof raw);
        return (raw - 1) / sizeof(void*);
    };
    return {slot(members)...};
}

TEST(CellClasses, TheOperationTableKeepsTheOrderBothModulesShare) {
    using E = EvCell;
    // Operation n (from 1) takes slot n - 1 up to the destructor (30), which takes two slots;
    // operation n after it takes slot n.
    const std::vector<std::size_t> slots = Slots(
        &E::PushEvaluated, &E::EvaluateInto, &E::EvaluateIntoVariant, &E::EvaluateNew, &E::GetInteger,
        &E::GetFloat, &E::GetBool, &E::GetDateTime, &E::GetString, &E::PushEvaluatedAlt,
        &E::EvaluateIntoAlt, &E::EvaluateNewAlt, &E::GetIntegerAlt, &E::GetFloatAlt, &E::GetBoolAlt,
        &E::GetDateTimeAlt, &E::GetStringAlt, &E::GetElement, &E::DelegatedActionA, &E::DelegatedActionB,
        &E::SelfReference, &E::DelegatedCallA, &E::KindFlagA, &E::DelegatedCallB, &E::GetStaticType,
        &E::IsStringCell, &E::KindFlagB, &E::GetType, &E::CompareRaw, &E::ReleaseData, &E::HookA,
        &E::Accept, &E::CopyTo, &E::SelfReferenceAlt, &E::KindFlagC, &E::GetAuxiliaryA, &E::CloneData,
        &E::HookB, &E::Compare, &E::ToString, &E::ToShortString, &E::ToQuotedString, &E::KindFlagD,
        &E::GetAuxiliaryB, &E::KindFlagE, &E::KindFlagF, &E::KindFlagG);
    ASSERT_EQ(slots.size(), 47u) << "every operation but the destructor";
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const std::size_t operation = i < 29 ? i + 1 : i + 2;
        EXPECT_EQ(slots[i], operation < 30 ? operation - 1 : operation) << "operation " << operation;
    }
}

}  // namespace
