// Bad host data stops a checking build (debug, sanitizers) at the point that trusts it, with
// "invariant broken: <what>" instead of a wrong value or a crash somewhere later.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <new>
#include <string_view>

#include "evaluator/EvStringCell.h"
#include "evaluator/RecordView.h"
#include "evaluator/utilRecordNames.h"
#include "externlib/CallbackWrapper.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"
#include "host/HostValues.h"
#include "platform/Invariant.h"
#include "tests/evaluator/CellTestSupport.h"

namespace {

using namespace QUON_ExternLib;
using cell_tests::Slot;

#if QUON_CHECK_INVARIANTS

struct Native {
    static std::int64_t Sum(ArrayView<long long> values) {
        std::int64_t sum = 0;
        for (long long value : values) sum += value;
        return sum;
    }
    static std::int64_t Length(std::string_view text) { return static_cast<std::int64_t>(text.size()); }
    static std::int32_t CallWith(std::function<int(int)> f) { return f(3); }
};

// A Quon function as the host holds it: evaluating it gives Int 0.
class ZeroFunctionCell : public QUON_Evaluator::EvCell {
public:
    EvCell* EvaluateNewAlt() override {
        auto* result = static_cast<EvCell*>(QUON_Evaluator::AllocateCell());
        Host().setInt(result, 0);
        return result;
    }
};

// prepareCall as a host gets it wrong: the frame counts one argument more than was pushed.
void PrepareCallCountingOneMore(std::uint64_t count, std::uint64_t flag) {
    quon_host::PrepareCall(count, flag);
    QUON_Evaluator::Evaluator* evaluator = quon_host::CurrentEvaluator();
    ++evaluator->frameSizes.back();
    --evaluator->frameLimit;
}

TEST(InvariantDeathTest, ValuesTheHostHandsOverAreCheckedBeforeTheyAreRead) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TheLibraryContext().BindTable(quon_host::HostContext());
    Slot frame[2], result;

    ::new (frame[1].bytes) quon_host::HostArrayCell(nullptr);
    EXPECT_DEATH(Bind<&Native::Sum>::Adapter(result.Cell(), frame[0].Cell()),
                 "invariant broken: an array cell without an array object")
        << "an array argument whose cell has no array object";

    ::new (frame[1].bytes) QUON_Evaluator::EvStringCell(nullptr);
    EXPECT_DEATH(Bind<&Native::Length>::Adapter(result.Cell(), frame[0].Cell()),
                 "invariant broken: a string argument without a string body")
        << "a string argument whose body was released";

    const auto names = QUON_Evaluator::utilRecordNames::FromNames({"a", "b"});
    Host().makeRecord(result.Cell(), &names);
    const QUON_Evaluator::RecordView record(*result.Cell());
    EXPECT_DEATH(record.Attribute(2), "invariant broken: a record attribute index outside its names table")
        << "one past the last attribute";
    EXPECT_DEATH(record.Attribute(-1), "invariant broken: a record attribute index outside its names table")
        << "before the first attribute";
    result.Cell()->ReleaseData();
}

TEST(InvariantDeathTest, TheValueStackAndCallbackFramesAreChecked) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    quon_host::EvaluatorScope scope;
    QUON_Evaluator::Evaluator& evaluator = scope.Get();
    EXPECT_DEATH(
        {
            while (evaluator.Depth() != 0) evaluator.PopSlot();
            evaluator.PopSlot();
        },
        "invariant broken: pop from an empty value stack")
        << "one pop more than the stack holds";

    ParentContext miscounting = *quon_host::HostContext();
    miscounting.prepareCall = &PrepareCallCountingOneMore;
    TheLibraryContext().BindTable(&miscounting);
    Slot frame[2], result;
    ::new (frame[1].bytes) ZeroFunctionCell();
    EXPECT_DEATH(Bind<&Native::CallWith>::Adapter(result.Cell(), frame[0].Cell()),
                 "invariant broken: prepareCall\\(1, 0\\) opened no frame over the callback's arguments")
        << "a callback frame that counts one argument more than was pushed";
    TheLibraryContext().BindTable(quon_host::HostContext());
}

#else

TEST(InvariantDeathTest, ValuesTheHostHandsOverAreCheckedBeforeTheyAreRead) {
    GTEST_SKIP() << "this build does not check invariants";
}

#endif

}  // namespace
