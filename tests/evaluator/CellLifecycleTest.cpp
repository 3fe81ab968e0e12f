// Evaluating cells: copies into slots, pooled cells and the value stack, string ownership,
// and the report and exception of cells that must not be evaluated.
#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "diagnostics/EvException.h"
#include "evaluator/EvCellVisitor.h"
#include "evaluator/EvInvalidCell.h"
#include "evaluator/PrimitiveCells.h"
#include "host/HostEvaluator.h"
#include "memory/ThreadCellPools.h"
#include "tests/evaluator/CellTestSupport.h"

namespace {

using namespace QUON_Evaluator;
using cell_tests::Slot;
using cell_tests::StringCell;

const std::string kLongText = "a text long enough to live outside the small buffer";

TEST(CellEvaluation, AStringCopyOwnsItsTextAfterTheSourceIsReleased) {
    Slot source, copy, pushed;
    EvStringCell* original = EvStringCell::MakeAt(source.bytes, kLongText);
    original->EvaluateInto(copy.bytes);
    EvCell* fresh = original->EvaluateNew();
    original->CopyTo(pushed.bytes);
    auto* into = reinterpret_cast<EvStringCell*>(copy.bytes);
    auto* copied = reinterpret_cast<EvStringCell*>(pushed.bytes);
    EXPECT_NE(into->Body(), original->Body()) << "EvaluateInto clones the body";
    original->ReleaseData();
    EXPECT_EQ(original->Word(), 0u) << "a released string cell holds a null payload";
    EXPECT_EQ(cell_tests::Plain(*original), "") << "a released cell prints empty";
    original->ReleaseData();  // releasing twice is harmless
    EXPECT_EQ(into->Text(), kLongText) << "EvaluateInto copy intact";
    EXPECT_EQ(static_cast<EvStringCell*>(fresh)->Text(), kLongText) << "EvaluateNew copy intact";
    EXPECT_EQ(copied->Text(), kLongText) << "CopyTo copy intact";
    into->ReleaseData();
    copied->ReleaseData();
    ReleasePooledCell(fresh);
}

// A C++ copy of a cell would keep the target's class and take only the payload.
static_assert(!std::is_copy_assignable_v<EvCell> && !std::is_copy_constructible_v<EvCell>);
static_assert(!std::is_copy_assignable_v<EvIntegerCell> && !std::is_copy_assignable_v<EvStringCell>);

TEST(CellEvaluation, PushesDoubleAFullValueStackAlsoWhenThePushedCellLiesInIt) {
    quon_host::EvaluatorScope scope;
    Evaluator& evaluator = scope.Get();
    const std::size_t capacity = evaluator.stack.capacity - evaluator.stack.begin;
    const std::size_t integerAt = evaluator.Depth(), stringAt = integerAt + 1;
    EvIntegerCell(41).PushEvaluated();
    StringCell(kLongText).Get().PushEvaluated();
    while (evaluator.stack.end != evaluator.stack.capacity) EvIntegerCell(0).PushEvaluated();
    // The stack is full: the next push reallocates it while the pushed cell lies inside it.
    reinterpret_cast<EvCell*>(evaluator.stack.begin + integerAt)->PushEvaluated();
    reinterpret_cast<EvCell*>(evaluator.stack.begin + stringAt)->PushEvaluatedAlt();
    EXPECT_EQ(evaluator.Depth(), capacity + 2) << "every push is one entry";
    EXPECT_EQ(static_cast<std::size_t>(evaluator.stack.capacity - evaluator.stack.begin), 2 * capacity)
        << "a full stack doubles";
    EXPECT_EQ(evaluator.frameBase, evaluator.stack.begin) << "frame base moved with the cells";
    EXPECT_EQ(reinterpret_cast<EvCell*>(evaluator.stack.begin + integerAt)->GetInteger(), 41)
        << "moved entries kept";
    EXPECT_EQ(reinterpret_cast<EvCell*>(evaluator.stack.end - 2)->GetInteger(), 41) << "integer pushed";
    auto* top = reinterpret_cast<EvStringCell*>(evaluator.stack.end - 1);
    EXPECT_EQ(top->Text(), kLongText) << "string pushed";
    EXPECT_NE(top->Body(), reinterpret_cast<EvStringCell*>(evaluator.stack.begin + stringAt)->Body())
        << "with a body of its own";
    top->ReleaseData();
    reinterpret_cast<EvCell*>(evaluator.stack.begin + stringAt)->ReleaseData();

    EvCell().PushEvaluated();
    EXPECT_EQ(reinterpret_cast<EvCell*>(evaluator.stack.end - 1)->ClassIdentity(),
              EvInvalidCell::MakeAt(Slot().bytes)->ClassIdentity())
        << "a root cell pushes an invalid cell";
}

// A host cell kind that evaluates to another cell: the root's accessors read the result's word.
class EvaluatesTo : public EvCell {
public:
    explicit EvaluatesTo(double value) : EvCell(std::bit_cast<CellWord>(value)) {}
    EvCell* EvaluateNew() override {
        return ::new (AllocateCell()) EvFloatCell(std::bit_cast<double>(word));
    }
    EvCell* EvaluateNewAlt() override { return ::new (AllocateCell()) EvIntegerCell(7); }
};

TEST(CellEvaluation, RootAccessorsReadTheEvaluatedPayloadWord) {
    EvaluatesTo cell(2.5);
    std::uint64_t packed = 0;
    EXPECT_EQ(cell.GetInteger(), std::bit_cast<std::int64_t>(2.5)) << "the float's bits, not 2";
    EXPECT_EQ(cell.GetFloat(), 2.5);
    EXPECT_EQ(cell.GetBool(), std::bit_cast<std::uint64_t>(2.5));
    EXPECT_EQ(cell.GetDateTime(packed), std::bit_cast<std::uint64_t>(2.5));
    EXPECT_EQ(cell_tests::Value(cell), "2.5") << "GetString asks the result";
    EXPECT_EQ(cell.GetIntegerAlt(), 7) << "the Alt accessors evaluate with EvaluateNewAlt";
    EXPECT_EQ(cell.GetFloatAlt(), std::bit_cast<double>(std::uint64_t{7}));
    EXPECT_EQ(cell.GetDateTimeAlt(packed), 7u);
    EXPECT_EQ(cell_tests::Text([&](auto& out) { cell.GetStringAlt(out); }), "7");
}

TEST(CellEvaluation, EvaluatingAnInvalidCellReportsOnTheChannelAndThrows) {
    Slot slot, place;
    EvCell* invalid = EvInvalidCell::MakeAt(slot.bytes);
    EXPECT_THROW(invalid->GetInteger(), EvException) << "even on a thread without evaluator";
    quon_host::EvaluatorScope scope;
    std::uint64_t word;
    zul::zulStdString::tString text;
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"PushEvaluated", [&] { invalid->PushEvaluated(); }},
        {"EvaluateInto", [&] { invalid->EvaluateInto(place.bytes); }},
        {"EvaluateNew", [&] { invalid->EvaluateNew(); }},
        {"EvaluateNewAlt", [&] { invalid->EvaluateNewAlt(); }},
        {"GetInteger", [&] { invalid->GetInteger(); }},
        {"GetFloat", [&] { invalid->GetFloat(); }},
        {"GetBool", [&] { invalid->GetBool(); }},
        {"GetDateTime", [&] { invalid->GetDateTime(word); }},
        {"GetString", [&] { invalid->GetString(text); }},
        {"GetIntegerAlt", [&] { invalid->GetIntegerAlt(); }},
        {"GetFloatAlt", [&] { invalid->GetFloatAlt(); }},
        {"GetBoolAlt", [&] { invalid->GetBoolAlt(); }},
        {"GetDateTimeAlt", [&] { invalid->GetDateTimeAlt(word); }},
        {"GetStringAlt", [&] { invalid->GetStringAlt(text); }}};
    const std::size_t depth = scope.Get().Depth();
    for (const auto& [name, operation] : operations) {
        const std::size_t recordsBefore = scope.Channel().records.size();
        try {
            operation();
            ADD_FAILURE() << name << " did not throw";
        } catch (const EvException& error) {
            EXPECT_STREQ(error.what(), "Error: Cell Evaluated! [err 2001]") << name;
        }
        ASSERT_EQ(scope.Channel().records.size(), recordsBefore + 1) << name << " reports one record";
        EXPECT_EQ(scope.Channel().records.back().level, 1) << name << " reports an error";
        EXPECT_EQ(scope.Channel().records.back().text.Text(), "Error: Cell Evaluated!\n") << name;
    }
    EXPECT_EQ(scope.Channel().lastError.Text(), "Error: Cell Evaluated!\n") << "last error remembered";
    EXPECT_EQ(scope.Get().Depth(), depth) << "nothing was pushed";
}

TEST(CellEvaluation, PrimitiveCellsAreNoCollectionsAndVisitTheirOwnEntry) {
    try {
        EvIntegerCell(5).GetElement(nullptr);
        ADD_FAILURE() << "GetElement of an integer did not throw";
    } catch (const EvException& error) {
        EXPECT_EQ(error.id, 2021u) << "non-collection message";
    }

    struct Recorder : EvCellVisitor {
        std::string seen;
        void VisitCell(EvCell&) override { seen += "cell "; }
        void VisitInteger(EvIntegerCell&) override { seen += "int "; }
        void VisitFloat(EvFloatCell&) override { seen += "float "; }
        void VisitBool(EvBoolCell&) override { seen += "bool "; }
        void VisitDateTime(EvDateTimeCell&) override { seen += "datetime "; }
        void VisitString(EvStringCell&) override { seen += "string "; }
    } recorder;
    Slot slot;
    EvIntegerCell(1).Accept(recorder);
    EvFloatCell(1).Accept(recorder);
    EvBoolCell(1).Accept(recorder);
    EvDateTimeCell(1).Accept(recorder);
    StringCell("t").Get().Accept(recorder);
    EvInvalidCell::MakeAt(slot.bytes)->Accept(recorder);
    EXPECT_EQ(recorder.seen, "int float bool datetime string cell ") << "Accept calls its class's entry";
}

}  // namespace
