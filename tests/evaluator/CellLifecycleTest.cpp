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
    auto* into = reinterpret_cast<EvStringCell*>(copy.bytes);
    EXPECT_NE(into->Body(), original->Body()) << "EvaluateInto clones the body";
    EvCell* fresh = original->EvaluateNew();
    original->CopyTo(pushed.bytes);
    original->ReleaseData();
    EXPECT_EQ(original->Word(), 0u) << "a released string cell holds a null payload";
    EXPECT_EQ(into->Text(), kLongText) << "EvaluateInto copy intact";
    EXPECT_EQ(static_cast<EvStringCell*>(fresh)->Text(), kLongText) << "EvaluateNew copy intact";
    EXPECT_EQ(reinterpret_cast<EvStringCell*>(pushed.bytes)->Text(), kLongText) << "CopyTo copy intact";
    EXPECT_EQ(cell_tests::Plain(*original), "") << "a released cell prints empty";
    original->ReleaseData();  // releasing twice is harmless
    into->ReleaseData();
    reinterpret_cast<EvStringCell*>(pushed.bytes)->ReleaseData();
    ReleasePooledCell(fresh);
}

TEST(CellEvaluation, PushesLandOnTheThreadsValueStackWhichDoublesWhenFull) {
    quon_host::EvaluatorScope scope;
    Evaluator& evaluator = scope.Get();
    const std::size_t capacity = evaluator.stack.capacity - evaluator.stack.begin;
    const std::size_t start = evaluator.Depth();
    const std::size_t pushes = capacity + 5;
    for (std::size_t i = 0; i < pushes; ++i) EvIntegerCell(static_cast<std::int64_t>(i)).PushEvaluated();
    EXPECT_EQ(evaluator.Depth(), start + pushes) << "every push is one entry";
    EXPECT_EQ(static_cast<std::size_t>(evaluator.stack.capacity - evaluator.stack.begin), 2 * capacity)
        << "a full stack doubles";
    EXPECT_EQ(reinterpret_cast<EvCell*>(evaluator.stack.end - 1)->GetInteger(),
              static_cast<std::int64_t>(pushes - 1))
        << "top entry";
    EXPECT_EQ(reinterpret_cast<EvCell*>(evaluator.stack.begin + start)->GetInteger(), 0)
        << "moved entries kept";
    EXPECT_EQ(evaluator.frameBase, evaluator.stack.begin) << "frame base moved with the cells";

    StringCell text(kLongText);
    text.Get().PushEvaluatedAlt();
    auto* top = reinterpret_cast<EvStringCell*>(evaluator.stack.end - 1);
    EXPECT_NE(top->Body(), text.Get().Body()) << "a pushed string owns its own body";
    EXPECT_EQ(top->Text(), kLongText);
    top->ReleaseData();
    evaluator.PopSlot();

    EvCell().PushEvaluated();
    EXPECT_EQ(reinterpret_cast<EvCell*>(evaluator.stack.end - 1)->ClassIdentity(),
              EvInvalidCell::MakeAt(Slot().bytes)->ClassIdentity())
        << "a root cell pushes an invalid cell";
}

// A C++ copy of a cell would keep the target's class and take only the payload.
static_assert(!std::is_copy_assignable_v<EvCell> && !std::is_copy_constructible_v<EvCell>);
static_assert(!std::is_copy_assignable_v<EvIntegerCell> && !std::is_copy_assignable_v<EvStringCell>);

TEST(CellEvaluation, ACellOnTheValueStackPushesItselfWhenThePushMovesTheStack) {
    quon_host::EvaluatorScope scope;
    Evaluator& evaluator = scope.Get();
    EvIntegerCell(41).PushEvaluated();
    StringCell(kLongText).Get().PushEvaluated();
    while (evaluator.stack.end != evaluator.stack.capacity) EvIntegerCell(0).PushEvaluated();
    // The stack is full: the next push reallocates it while the pushed cell lies inside it.
    const std::size_t integerAt = 1, stringAt = 2;
    reinterpret_cast<EvCell*>(evaluator.stack.begin + integerAt)->PushEvaluated();
    reinterpret_cast<EvCell*>(evaluator.stack.begin + stringAt)->PushEvaluatedAlt();
    auto* top = reinterpret_cast<EvStringCell*>(evaluator.stack.end - 1);
    EXPECT_EQ(reinterpret_cast<EvCell*>(evaluator.stack.end - 2)->GetInteger(), 41) << "integer pushed";
    EXPECT_EQ(top->Text(), kLongText) << "string pushed";
    EXPECT_NE(top->Body(), reinterpret_cast<EvStringCell*>(evaluator.stack.begin + stringAt)->Body())
        << "with a body of its own";
    top->ReleaseData();
    reinterpret_cast<EvCell*>(evaluator.stack.begin + stringAt)->ReleaseData();
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
    zul::zulStdString::tString text;
    cell.GetStringAlt(text);
    EXPECT_EQ(text.Text(), "7");
}

TEST(CellEvaluation, EvaluatingAnInvalidCellReportsOnTheChannelAndThrows) {
    quon_host::EvaluatorScope scope;
    Slot slot, place;
    EvCell* invalid = EvInvalidCell::MakeAt(slot.bytes);
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"PushEvaluated", [&] { invalid->PushEvaluated(); }},
        {"EvaluateInto", [&] { invalid->EvaluateInto(place.bytes); }},
        {"EvaluateNew", [&] { invalid->EvaluateNew(); }},
        {"EvaluateNewAlt", [&] { invalid->EvaluateNewAlt(); }},
        {"GetInteger", [&] { invalid->GetInteger(); }},
        {"GetFloat", [&] { invalid->GetFloat(); }},
        {"GetBool", [&] { invalid->GetBool(); }},
        {"GetDateTime",
         [&] {
             std::uint64_t w;
             invalid->GetDateTime(w);
         }},
        {"GetString",
         [&] {
             zul::zulStdString::tString s;
             invalid->GetString(s);
         }},
        {"GetIntegerAlt", [&] { invalid->GetIntegerAlt(); }},
        {"GetFloatAlt", [&] { invalid->GetFloatAlt(); }},
        {"GetBoolAlt", [&] { invalid->GetBoolAlt(); }},
        {"GetDateTimeAlt",
         [&] {
             std::uint64_t w;
             invalid->GetDateTimeAlt(w);
         }},
        {"GetStringAlt", [&] {
             zul::zulStdString::tString s;
             invalid->GetStringAlt(s);
         }}};
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

TEST(CellEvaluation, InvalidCellsThrowEvenOnAThreadWithoutEvaluator) {
    Slot slot;
    EXPECT_THROW(EvInvalidCell::MakeAt(slot.bytes)->GetInteger(), EvException);
}

TEST(CellEvaluation, PrimitiveCellsAreNoCollections) {
    EvIntegerCell five(5);
    try {
        five.GetElement(nullptr);
        ADD_FAILURE() << "GetElement of an integer did not throw";
    } catch (const EvException& error) {
        EXPECT_EQ(error.id, 2021u) << "non-collection message";
    }
    EXPECT_EQ(five.SelfReference(), &five);
    EXPECT_TRUE(five.KindFlagD());
    EXPECT_FALSE(five.KindFlagA() || five.KindFlagB() || five.KindFlagC() || five.KindFlagE() ||
                 five.KindFlagF() || five.KindFlagG());
    EXPECT_EQ(five.GetAuxiliaryA(), nullptr);
}

TEST(CellEvaluation, AcceptCallsTheVisitorEntryOfTheCellsClass) {
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
    StringCell text("t");
    EvIntegerCell(1).Accept(recorder);
    EvFloatCell(1).Accept(recorder);
    EvBoolCell(1).Accept(recorder);
    EvDateTimeCell(1).Accept(recorder);
    text.Get().Accept(recorder);
    EvInvalidCell::MakeAt(slot.bytes)->Accept(recorder);
    EXPECT_EQ(recorder.seen, "int float bool datetime string cell ");
}

}  // namespace
