// Cost of a generated adapter around the smallest native call: the loaded library's `maxint`
// row, ( Int * Int -> Int ), on a frame prepared once, against the same arithmetic called through
// a function pointer the compiler cannot see through, followed by the same host setter into a
// result cell. Beside it, without targets: the whole call as the host makes it (CallFrame::Call),
// and what building the two argument cells with the host's setInt costs per call.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/RatioTable.h"
#include "bench/RowCall.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"

namespace {

using quon_bench::EvCell;
using quon_bench::RowCall;

constexpr std::int64_t kCallsPerIteration = 1000;
constexpr std::int64_t kFirst = 7;
constexpr std::int64_t kSecond = 42;

// The native arithmetic of maxint (testlib/NumericFunctions.cpp), kept out of line.
[[gnu::noinline]] std::int64_t MaxOf(std::int64_t a, std::int64_t b) {
    return a > b ? a : b;
}
using MaxFn = std::int64_t (*)(std::int64_t, std::int64_t);
MaxFn volatile maxOf = &MaxOf;

// Fills maxint's frame with its two argument cells, made by the host once, and calls it once.
void Prepare(RowCall& call) {
    quon_host::HostContext()->setInt(call.Argument(0), kFirst);
    quon_host::HostContext()->setInt(call.Argument(1), kSecond);
    call.ThroughHost();
}

// Each loop sums the result payloads of its calls: the checksum every side must reach. Each loop
// starts a 64-byte line: placed anywhere, the same loops measured 2.46 to 2.74 ns (the baseline)
// and 3.28 to 3.83 ns (the adapter) between builds that changed other code.
[[gnu::noinline, gnu::aligned(64)]] std::uint64_t AdapterCalls(RowCall& call) {
    std::uint64_t sum = 0;
    for (std::int64_t i = 0; i < kCallsPerIteration; ++i) {
        call.Adapter();
        sum += call.Result()->Word();
    }
    return sum;
}

[[gnu::noinline, gnu::aligned(64)]] std::uint64_t HostCalls(RowCall& call) {
    std::uint64_t sum = 0;
    for (std::int64_t i = 0; i < kCallsPerIteration; ++i) {
        call.ThroughHost();
        sum += call.Result()->Word();
    }
    return sum;
}

[[gnu::noinline, gnu::aligned(64)]] std::uint64_t NativeCalls(const std::int64_t* arguments, EvCell* result) {
    ParentContext* host = quon_host::HostContext();
    std::uint64_t sum = 0;
    for (std::int64_t i = 0; i < kCallsPerIteration; ++i) {
        host->setInt(result, maxOf(arguments[0], arguments[1]));
        sum += result->Word();
    }
    return sum;
}

// The two argument cells made again per call; the checksum reads them back and takes the larger
// payload, which is what the call on them gives.
[[gnu::noinline, gnu::aligned(64)]] std::uint64_t ArgumentCells(RowCall& call, const std::int64_t* arguments) {
    ParentContext* host = quon_host::HostContext();
    std::uint64_t sum = 0;
    for (std::int64_t i = 0; i < kCallsPerIteration; ++i) {
        host->setInt(call.Argument(0), arguments[0]);
        host->setInt(call.Argument(1), arguments[1]);
        const std::uint64_t a = call.Argument(0)->Word(), b = call.Argument(1)->Word();
        sum += static_cast<std::int64_t>(a) > static_cast<std::int64_t>(b) ? a : b;
    }
    return sum;
}

template <class Loop>
void RunCalls(benchmark::State& state, Loop loop) {
    quon_bench::RunOrSkip(state, [&] {
        // Library code runs on a thread with the host's evaluator installed, as under the host.
        quon_host::EvaluatorScope evaluator;
        RowCall call("maxint", 2);
        Prepare(call);
        std::int64_t arguments[2] = {kFirst, kSecond};
        benchmark::DoNotOptimize(arguments);
        std::uint64_t checksum = 0;
        for (auto _ : state) checksum = loop(call, arguments);
        quon_bench::RecordWork(state, kCallsPerIteration, checksum);
    });
}

void BM_MaxintAdapter(benchmark::State& state) {
    RunCalls(state, [](RowCall& call, const std::int64_t*) { return AdapterCalls(call); });
}

void BM_MaxintThroughHost(benchmark::State& state) {
    RunCalls(state, [](RowCall& call, const std::int64_t*) { return HostCalls(call); });
}

void BM_MaxintNative(benchmark::State& state) {
    RunCalls(state, [](RowCall& call, const std::int64_t* arguments) {
        return NativeCalls(arguments, call.Result());
    });
}

void BM_MaxintArgumentCells(benchmark::State& state) {
    RunCalls(state,
             [](RowCall& call, const std::int64_t* arguments) { return ArgumentCells(call, arguments); });
}

BENCHMARK(BM_MaxintNative);
BENCHMARK(BM_MaxintAdapter);
BENCHMARK(BM_MaxintThroughHost);
BENCHMARK(BM_MaxintArgumentCells);

using quon_bench::Sense;
const bool rows = quon_bench::DeclareRatios({
    {"maxint adapter vs fn pointer + setInt", "BM_MaxintAdapter", "BM_MaxintNative", Sense::TimeOf, 1.05},
    {"maxint by CallFrame::Call vs fn pointer + setInt", "BM_MaxintThroughHost", "BM_MaxintNative",
     Sense::TimeOf},
    {"maxint's 2 argument cells by setInt vs the adapter", "BM_MaxintArgumentCells", "BM_MaxintAdapter",
     Sense::TimeOf},
});

}  // namespace
