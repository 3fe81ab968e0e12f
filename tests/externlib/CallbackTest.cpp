// Quon functions passed to native functions: each call pushes its arguments, lets the host
// evaluate the function and closes the frame, so the evaluator ends where it began.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <string_view>

#include "externlib/CallbackWrapper.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"
#include "tests/evaluator/CellTestSupport.h"

namespace {

using namespace QUON_ExternLib;
using IntArray = QUON_Evaluator::fArrayOfPrimitiveValues<long long>;

// A Quon function as a host holds it: evaluating it runs a C++ body over the frame the caller
// prepared (the last argument is at the frame base) and writes a new pooled result cell.
class LambdaCell : public QUON_Evaluator::EvCell {
public:
    using Body = std::function<void(EvCell* result, EvCell* lastArgument)>;
    explicit LambdaCell(const Body* body) : EvCell(reinterpret_cast<QUON_Evaluator::CellWord>(body)) {}
    EvCell* EvaluateNewAlt() override {
        auto* result = static_cast<EvCell*>(QUON_Evaluator::AllocateCell());
        QUON_Evaluator::CellSlot* frameBase = quon_host::CurrentEvaluator()->frameBase;
        (*reinterpret_cast<const Body*>(word))(result, reinterpret_cast<EvCell*>(frameBase));
        return result;
    }
};

// The native functions the tests bind.
struct Native {
    static std::int32_t Twice(std::function<int(int)> f) { return f(f(3)); }
    static std::int32_t CallNullary(std::function<int()> f) { return f(); }
    static NewArray<long long> ApplyTwice(ArrayView<long long> values,
                                          std::function<NewArray<long long>(ArrayView<long long>)> f) {
        const NewArray<long long> once = f(values);
        return f(once.View());
    }
    // Every kind a callback carries: a string out and back, a record out.
    static std::string Decorate(std::function<std::string(std::string, std::int64_t)> f) { return f("ab", 3); }
};

struct EvaluatorState {
    std::size_t depth, frameBytes;
    std::ptrdiff_t base, limit;
    explicit EvaluatorState(QUON_Evaluator::Evaluator& e)
        : depth(e.Depth()),
          frameBytes(e.frameSizes.size()),
          base(e.frameBase - e.stack.begin),
          limit(e.frameLimit - e.stack.begin) {}
    bool operator==(const EvaluatorState&) const = default;
};

static_assert(std::string_view(Caster<std::function<int()>>::kName.c_str()) == "(  -> Int )",
              "a callback's text is a constant of its signature");

TEST(Callbacks, EachCallPushesEvaluatesAndClosesItsFrame) {
    quon_host::EvaluatorScope scope;
    TheLibraryContext().BindTable(quon_host::HostContext());
    EXPECT_STREQ(Bind<&Native::Twice>::TypeString(), "( ( Int -> Int ) -> Int )");
    EXPECT_STREQ(Bind<&Native::CallNullary>::TypeString(), "( (  -> Int ) -> Int )");
    EXPECT_STREQ(Bind<&Native::ApplyTwice>::TypeString(),
                 "( Array[Int] * ( Array[Int] -> Array[Int] ) -> Array[Int] )");
    EXPECT_STREQ(Bind<&Native::Decorate>::TypeString(), "( ( String * Int -> String ) -> String )");

    int calls = 0;
    const LambdaCell::Body square = [&](EvCell* result, EvCell* argument) {
        ++calls;
        Host().setInt(result, argument->GetInteger() * argument->GetInteger());
    };
    const LambdaCell::Body wide = [](EvCell* result, EvCell*) { Host().setInt(result, (1LL << 32) + 7); };
    cell_tests::Slot frame[3], result;
    const EvaluatorState before(scope.Get());

    ::new (frame[1].bytes) LambdaCell(&square);
    Bind<&Native::Twice>::Adapter(result.Cell(), frame[0].Cell());
    EXPECT_EQ(result.Cell()->GetInteger(), 81) << "f(f(3)) with f = x * x";
    EXPECT_EQ(calls, 2);
    ::new (frame[1].bytes) LambdaCell(&wide);
    Bind<&Native::CallNullary>::Adapter(result.Cell(), frame[0].Cell());
    EXPECT_EQ(result.Cell()->GetInteger(), 7) << "a wide Int reaches the native caller as its low 32 bits";
    EXPECT_TRUE(EvaluatorState(scope.Get()) == before)
        << "stack, frame base, limit and byte stack restored";

    // Arguments through their result rules, the result through its argument rule.
    const LambdaCell::Body repeat = [](EvCell* result, EvCell* last) {
        const std::string text = cell_tests::Value(last[-1]);
        std::string out;
        for (std::int64_t i = 0; i < last->GetInteger(); ++i) out += text;
        Host().setString(result, out.data(), out.size());
    };
    ::new (frame[1].bytes) LambdaCell(&repeat);
    Bind<&Native::Decorate>::Adapter(result.Cell(), frame[0].Cell());
    EXPECT_EQ(cell_tests::Value(*result.Cell()), "ababab");
    result.Cell()->ReleaseData();

    // Array -> array, applied to its own result: each call gets its own copy and its own result.
    const LambdaCell::Body increment = [](EvCell* result, EvCell* argument) {
        IntArray* in = IntArray::Of(argument);
        IntArray* out = IntArray::Of(Host().makeArray(static_cast<std::uint64_t>(in->Count())));
        for (std::int64_t i = 0; i < in->Count(); ++i) Host().setInt(out->ElementCell(i), (*in)[i] + 1);
        QUON_Evaluator::PooledCell(out->Cell()).MoveImageTo(result);
    };
    IntArray* input = IntArray::Of(Host().makeArray(2));
    Host().setInt(input->ElementCell(0), 1);
    Host().setInt(input->ElementCell(1), 5);
    QUON_Evaluator::PooledCell(input->Cell()).MoveImageTo(frame[1].bytes);
    ::new (frame[2].bytes) LambdaCell(&increment);
    for (int round = 0; round < 100; ++round) {  // repeated calls leave nothing behind
        Bind<&Native::ApplyTwice>::Adapter(result.Cell(), frame[0].Cell());
        EXPECT_EQ(cell_tests::Plain(*result.Cell()), "[3, 7]");
        result.Cell()->ReleaseData();
    }
    EXPECT_TRUE(EvaluatorState(scope.Get()) == before) << "restored after repeated calls";
    frame[1].Cell()->ReleaseData();
}

}  // namespace
