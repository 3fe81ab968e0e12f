// The printed forms of cells: plain, quoted and short texts, escapes, and the generic text.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "evaluator/EvInvalidCell.h"
#include "evaluator/PrimitiveCells.h"
#include "tests/evaluator/CellTestSupport.h"

namespace {

using namespace QUON_Evaluator;
using cell_tests::Plain;
using cell_tests::Quoted;
using cell_tests::Short;
using cell_tests::StringCell;

TEST(CellPrinting, NumbersAndBoolsPrintTheirPlainTextInEveryForm) {
    EXPECT_EQ(Plain(EvIntegerCell(-42)), "-42");
    EXPECT_EQ(Plain(EvFloatCell(3.0)), "3.") << "a point is forced";
    EXPECT_EQ(Plain(EvFloatCell(0.1)), "0.1") << "a text with a point is unchanged";
    EXPECT_EQ(Plain(EvFloatCell(1e20)), "1e+20.");
    EXPECT_EQ(Plain(EvFloatCell(std::numeric_limits<double>::infinity())), "inf.");
    EXPECT_EQ(Quoted(EvFloatCell(3.0)), "3.") << "quoted float";
    EXPECT_EQ(Short(EvIntegerCell(7), true), "7") << "short integer";
    EXPECT_EQ(Quoted(EvBoolCell(1)), "true");
}

TEST(CellPrinting, QuotedStringsEscapeControlHighQuoteAndBackslashBytes) {
    struct Row {
        std::string text;
        const char* quoted;
    };
    const Row rows[] = {{"it's", "'it\\'s'"},
                        {"\t", "'\\011'"},
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
        zul::zulStdString::tString out;
        cell.Get().ToString(out, true);
        EXPECT_EQ(out.Text(), row.quoted) << "ToString quoted";
        EXPECT_EQ(Plain(cell.Get()), row.text) << "plain text is the text itself";
    }
}

TEST(CellPrinting, LongStringsAreAbbreviatedWithTheirLength) {
    const std::string fifty(50, 'x');
    StringCell at50(fifty);
    EXPECT_EQ(Short(at50.Get(), false), fifty) << "50 bytes stay whole";
    EXPECT_EQ(Short(at50.Get(), true), "'" + fifty + "'") << "50 bytes quoted, no suffix";

    std::string fiftyOne;
    for (int i = 0; i < 51; ++i) fiftyOne += static_cast<char>('a' + i % 26);
    StringCell at51(fiftyOne);
    const std::string expected = fiftyOne.substr(0, 30) + " ... " + fiftyOne.substr(41);
    ASSERT_EQ(expected.size(), 45u);
    EXPECT_EQ(Short(at51.Get(), false), expected + " (len=51)") << "51 bytes abbreviated";

    StringCell sixty(std::string(59, 'q') + "'");
    EXPECT_EQ(Short(sixty.Get(), true),
              "'" + std::string(30, 'q') + " ... " + std::string(9, 'q') + "\\'' (len=60)")
        << "quoted after the cut, suffix after the quote";
}

TEST(CellPrinting, TheNullStringPrintsAsNull) {
    const std::string nullText = zul::zulStdString::tString::NullString().Text();
    StringCell null(nullText);
    EXPECT_EQ(Quoted(null.Get()), "'NULL'") << "quoted";
    EXPECT_EQ(Short(null.Get(), true), "'NULL'") << "short, quoted";
    EXPECT_EQ(Short(null.Get(), false), nullText) << "short, plain: its own text";
}

TEST(CellPrinting, CellsWithoutAValueFormPrintTheGenericText) {
    cell_tests::Slot slot;
    EvCell* invalid = EvInvalidCell::MakeAt(slot.bytes);
    const std::string text = Plain(*invalid);
    const std::string identity = std::to_string(reinterpret_cast<std::uintptr_t>(invalid->ClassIdentity()));
    const std::string payload =
        std::to_string(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(slot.bytes)));
    EXPECT_EQ(text, "*EvCell[" + identity + ":" + payload + "]*") << "identity and own address";
    EXPECT_EQ(Plain(EvCell(static_cast<CellWord>(-3))).substr(0, 8), "*EvCell[") << "root cell";
    EXPECT_NE(Plain(EvCell(static_cast<CellWord>(-3))).find(":-3]*"), std::string::npos)
        << "payload signed";
}

}  // namespace
