// Record bindings: one declaration gives the names table, the type text, the reader and the
// builder of a native structure.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "externlib/Adapter.h"
#include "externlib/RecordBinding.h"
#include "host/HostContext.h"
#include "tests/evaluator/CellTestSupport.h"

namespace test_records {

struct IntPair {
    std::int32_t intAttr1;
    std::int32_t intAttr2;
};

struct Described {
    std::string name;
    std::int64_t version;
    IntPair pair;
};

}  // namespace test_records

namespace QUON_ExternLib {

template <>
struct RecordBinding<test_records::IntPair> {
    static constexpr auto kFields =
        std::make_tuple(RecordField("intAttr1", &test_records::IntPair::intAttr1),
                        RecordField("intAttr2", &test_records::IntPair::intAttr2));
    static constexpr const char* kTypeText = "Record[ intAttr1: Int, intAttr2: Int ]";
};

template <>
struct RecordBinding<test_records::Described> {
    static constexpr auto kFields =
        std::make_tuple(RecordField("name", &test_records::Described::name),
                        RecordField("version", &test_records::Described::version),
                        RecordField("pair", &test_records::Described::pair));
    static constexpr const char* kTypeText = nullptr;
};

}  // namespace QUON_ExternLib

namespace {

using namespace QUON_ExternLib;
using test_records::Described;
using test_records::IntPair;

// The native functions the tests bind.
struct Native {
    static IntPair MakePair(std::int32_t a, std::int32_t b) { return {a, b}; }
    static std::int32_t PairSum(IntPair pair) { return pair.intAttr1 + pair.intAttr2; }
    static Described Describe(std::int32_t a) { return {"described", -1, {a, -a}}; }
};

class Records : public ::testing::Test {
protected:
    void SetUp() override { TheLibraryContext().BindTable(quon_host::HostContext()); }
    cell_tests::Slot frame[3];
    cell_tests::Slot result;
};

// Assembled by the compiler: nothing is built when a library describes itself.
static_assert(std::string_view(Caster<Described>::kName.c_str()) ==
              "Record[ name: String, version: Int, pair: Record[ intAttr1: Int, intAttr2: Int ] ]");
static_assert(std::string_view(Signature<std::vector<IntPair>, Described>::kName.c_str()) ==
              "( Record[ name: String, version: Int, pair: Record[ intAttr1: Int, intAttr2: Int ] ] -> "
              "Array[Record[ intAttr1: Int, intAttr2: Int ]] )");

TEST_F(Records, TypeTextsAreLiteralOrAssembledFromTheFields) {
    EXPECT_STREQ(Bind<&Native::MakePair>::TypeString(),
                 "( Int * Int -> Record[ intAttr1: Int, intAttr2: Int ] )");
    EXPECT_STREQ(Caster<Described>::Name(),
                 "Record[ name: String, version: Int, pair: Record[ intAttr1: Int, intAttr2: Int ] ]")
        << "a nested record's own text, embedded unchanged";
    const auto& names = *Caster<IntPair>::Names();
    EXPECT_EQ(names.Find("intAttr1"), 0);
    EXPECT_EQ(names.Find("intAttr2"), 1);
    EXPECT_EQ(names.Find("intAttr3"), -1);
    EXPECT_EQ(Caster<IntPair>::Names().get(), Caster<IntPair>::Names().get()) << "one table per binding";
}

TEST_F(Records, ResultsAreBuiltAndArgumentsReadByAttributeName) {
    Host().setInt(frame[1].Cell(), 3);
    Host().setInt(frame[2].Cell(), -7);
    Bind<&Native::MakePair>::Adapter(result.Cell(), frame[0].Cell());
    EXPECT_EQ(cell_tests::Plain(*result.Cell()), "{intAttr1: 3, intAttr2: -7}");

    QUON_Evaluator::CopyCellWords(frame[1].Cell(), *result.Cell());  // the record becomes the argument
    Bind<&Native::PairSum>::Adapter(result.Cell(), frame[0].Cell());
    EXPECT_EQ(result.Cell()->GetInteger(), -4);
    frame[1].Cell()->ReleaseData();

    // A record of another shape that lacks intAttr2 (and orders its names differently).
    const auto names = QUON_Evaluator::utilRecordNames::FromNames({"other", "intAttr1"});
    Host().makeRecord(frame[1].Cell(), &names);
    Host().setInt(QUON_Evaluator::RecordView(*frame[1].Cell()).Attribute(0), 100);
    Host().setInt(QUON_Evaluator::RecordView(*frame[1].Cell()).Attribute(1), 5);
    Bind<&Native::PairSum>::Adapter(result.Cell(), frame[0].Cell());
    EXPECT_EQ(result.Cell()->GetInteger(), 5) << "found by name; the missing attribute reads 0";
    frame[1].Cell()->ReleaseData();

    Bind<&Native::Describe>::Adapter(result.Cell(), frame[0].Cell() + 1);
    EXPECT_EQ(cell_tests::Plain(*result.Cell()),
              "{name: 'described', version: -1, pair: {intAttr1: -7, intAttr2: 7}}")
        << "a nested record is built into its attribute cell";
    result.Cell()->ReleaseData();
}

}  // namespace
