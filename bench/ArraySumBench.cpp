// Summing a large Int array through the loaded library: its `getArraySum` row on a host array
// of a million elements (built once), against summing a plain int64_t array of the same values.
// The library reads each value from the payload of a 16-byte element cell.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/RatioTable.h"
#include "bench/RowCall.h"
#include "host/HostEvaluator.h"

namespace {

constexpr std::size_t kElements = 1'000'000;

// Fixed pseudo-random values, positive and negative.
const std::vector<std::int64_t>& Values() {
    static const std::vector<std::int64_t> values = quon_bench::RandomInts(kElements, 20240611);
    return values;
}

void BM_ArraySumAdapter(benchmark::State& state) {
    quon_bench::RunOrSkip(state, [&] {
        quon_host::EvaluatorScope evaluator;
        quon_bench::RowCall call("getArraySum", 1);
        quon_bench::SetIntArray(call.Argument(0), Values().data(), Values().size());
        call.ThroughHost();
        std::uint64_t checksum = 0;
        for (auto _ : state) {
            call.Adapter();
            checksum = call.Result()->Word();
        }
        quon_bench::RecordWork(state, kElements, checksum);
    });
}

// Wrapping 64-bit sum, as the library's.
[[gnu::noinline]] std::uint64_t PlainSum(const std::int64_t* values, std::size_t count) {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += static_cast<std::uint64_t>(values[i]);
    return sum;
}

void BM_ArraySumPlain(benchmark::State& state) {
    const std::vector<std::int64_t>& values = Values();
    std::uint64_t checksum = 0;
    for (auto _ : state) {
        checksum = PlainSum(values.data(), values.size());
        benchmark::DoNotOptimize(checksum);
    }
    quon_bench::RecordWork(state, kElements, checksum);
}

BENCHMARK(BM_ArraySumPlain);
BENCHMARK(BM_ArraySumAdapter);

const bool rows = quon_bench::DeclareRatios({
    {"getArraySum adapter, 1M Ints vs plain int64_t sum", "BM_ArraySumAdapter", "BM_ArraySumPlain",
     quon_bench::Sense::TimeOf, 2},
});

}  // namespace
