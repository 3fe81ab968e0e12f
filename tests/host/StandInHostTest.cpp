// The stand-in host's own machinery: call frames on the evaluator's value stack, stack
// extensions, channels and the operation table.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "diagnostics/Exception.h"
#include "host/CallFrame.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"
#include "hostabi/HostThreadWords.h"

namespace {

using QUON_Evaluator::CellSlot;

CellSlot Cell(std::uintptr_t tag) {
    return CellSlot{{reinterpret_cast<void*>(tag), nullptr}};
}

TEST(CallFrames, PrepareCallAndCloseLeaveTheCallerStackIntactAndFollowItsGrowth) {
    quon_host::EvaluatorScope scope;
    auto& evaluator = scope.Get();
    ParentContext* host = quon_host::HostContext();
    ASSERT_EQ(host->currentEvaluator(), &evaluator) << "the scope's evaluator is the thread's";
    ASSERT_EQ(QUON_Evaluator::HostCurrentEvaluator(), &evaluator) << "the per-thread word agrees";

    *evaluator.PushSlot() = Cell(1);
    const std::size_t depth = evaluator.Depth();
    CellSlot* callerBase = evaluator.frameBase;
    CellSlot* callerLimit = evaluator.frameLimit;
    for (std::uint64_t arguments : {0u, 1u, 3u}) {
        for (std::uint64_t i = 0; i < arguments; ++i) *evaluator.PushSlot() = Cell(100 + i);
        host->prepareCall(arguments, 0);
        *evaluator.PushSlot() = Cell(7);  // a nested call, as an evaluation would make
        host->prepareCall(1, 0);
        int released = 0;
        evaluator.CloseCallFrame([&](CellSlot*) { ++released; });
        EXPECT_EQ(released, 1) << "nested frame pops its one argument";
        released = 0;
        evaluator.CloseCallFrame([&](CellSlot*) { ++released; });
        EXPECT_EQ(released, static_cast<int>(arguments)) << "frame of " << arguments << " arguments";
        EXPECT_EQ(evaluator.Depth(), depth) << "stack depth restored";
        EXPECT_EQ(evaluator.frameBase, callerBase) << "frame base restored";
        EXPECT_EQ(evaluator.frameLimit, callerLimit) << "frame limit restored";
    }

    *evaluator.PushSlot() = Cell(2);
    host->prepareCall(2, 0);
    const std::ptrdiff_t baseIndex = evaluator.frameBase - evaluator.stack.begin;
    const std::ptrdiff_t limitIndex = evaluator.frameLimit - evaluator.stack.begin;
    for (std::uintptr_t i = 0; i < 1000; ++i) *evaluator.PushSlot() = Cell(10 + i);
    EXPECT_EQ(evaluator.frameBase - evaluator.stack.begin, baseIndex) << "base follows grown storage";
    EXPECT_EQ(evaluator.frameLimit - evaluator.stack.begin, limitIndex) << "limit follows grown storage";
    EXPECT_EQ(evaluator.stack.begin[1].words[0], reinterpret_cast<void*>(1)) << "old cells were moved";
    EXPECT_EQ(evaluator.stack.end[-1].words[0], reinterpret_cast<void*>(1009)) << "top cell";
}

TEST(CallFrames, ArgumentZeroIsAlsoInCellZeroForTheHandWrittenAdapters) {
    quon_host::CallFrame frame(2);
    quon_host::HostContext()->setInt(frame.Argument(0), 5);
    quon_host::HostContext()->setString(frame.Argument(1), "six", 3);
    alignas(16) CellSlot result{};
    auto* resultCell = reinterpret_cast<QUON_Evaluator::EvCell*>(&result);
    frame.Call(
        [](QUON_Evaluator::EvCell* out, QUON_Evaluator::EvCell* cells) {
            quon_host::HostContext()->setInt(out, cells[0].GetInteger() * 10 + cells[1].GetInteger());
        },
        resultCell);
    EXPECT_EQ(resultCell->GetInteger(), 55) << "cell 0 and cell 1 both hold argument 0";
}

TEST(StackExtension, EnterLowersTheLimitAndLeaveRestoresIt) {
    quon_host::EvaluatorScope scope;
    char local = 0;
    void* limit = QUON_Evaluator::HostStackLimit();
    ASSERT_NE(limit, nullptr) << "an evaluator thread has a stack limit";
    EXPECT_LT(limit, static_cast<void*>(&local)) << "the limit lies below the running frame";
    quon_host::HostContext()->enterStackExtension();
    EXPECT_LT(QUON_Evaluator::HostStackLimit(), limit) << "extension gives more room";
    quon_host::HostContext()->leaveStackExtension();
    EXPECT_EQ(QUON_Evaluator::HostStackLimit(), limit) << "leave restores the limit";
    {
        const quon_host::StackExtensionScope call;
        quon_host::HostContext()->enterStackExtension();
        EXPECT_THROW(quon_host::HostContext()->enterStackExtension(), zul::Exception)
            << "the reserve is handed out once; then an error, not an overflow";
    }
    EXPECT_EQ(QUON_Evaluator::HostStackLimit(), limit)
        << "the call's end restores the limit after an error";
}

TEST(HostChannels, AnEvaluatorsErrorsReachTheHostChannel) {
    char folder[] = "/tmp/quon-host-test-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    ::setenv("APPDATA", folder, 1);  // keep this test's log files out of the user's folders

    quon_host::EvaluatorScope scope;
    ASSERT_EQ(scope.Get().channel, &scope.Channel()) << "the evaluator holds its channel";
    auto& host = quon_host::HostChannel();
    const std::size_t before = host.records.size();
    scope.Channel().ReportError(zul::zulStdString::tString("boom"));
    ASSERT_EQ(host.records.size(), before + 1) << "the host keeps the evaluator's error";
    EXPECT_EQ(host.records.back().text.Text(), "boom");
    EXPECT_EQ(host.records.back().source.Text(), "Evaluator") << "record source names the child";
    std::system((std::string("rm -rf '") + folder + "'").c_str());
}

TEST(HostContext, AnEntryTheHostCannotServeStopsTheProcessNamingIt) {
    EXPECT_DEATH(quon_host::HostContext()->reserved2(), "host entry 'entry 2'");
}

}  // namespace
