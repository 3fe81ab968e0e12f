// The cost of a std::vector<std::int64_t> parameter, whose elements are copied out of the host's
// 16-byte cells for the call, against an ArrayView<long long> parameter that reads them in place:
// both rows of a library loaded through the host's loader sum the same million-element array.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/RatioTable.h"
#include "bench/RowCall.h"
#include "host/CallFrame.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"
#include "host/LibraryLoader.h"

namespace {

constexpr std::size_t kElements = 1'000'000;

// Fixed pseudo-random values, positive and negative.
const std::vector<std::int64_t>& Values() {
    static const std::vector<std::int64_t> values = quon_bench::RandomInts(kElements, 20240612);
    return values;
}

// The module, loaded and bound once, as the host does; it stays loaded until the process ends.
QUON_ExternLib::AdapterFn Row(const std::string& name) {
    static const quon_host::LoadedLibrary* library = [] {
        auto* loaded = new quon_host::LoadedLibrary(QUON_VECTOR_PARAMETER_MODULE_PATH);
        loaded->Bind(quon_host::HostContext());
        return loaded;
    }();
    static const QUON_ExternLib::LibraryDescriptor* descriptor = library->Data();
    for (std::uint64_t i = 0; i < descriptor->functionCount; ++i)
        if (name == descriptor->functions[i].name) return descriptor->functions[i].adapter;
    throw std::runtime_error("the vector parameter module publishes no row " + name);
}

// Calls `row` on the host array of Values(), the adapter alone in the loop once the host's first
// call has filled the frame.
void SumThrough(benchmark::State& state, const char* row) {
    quon_bench::RunOrSkip(state, [&] {
        quon_host::EvaluatorScope evaluator;
        const QUON_ExternLib::AdapterFn adapter = Row(row);
        quon_host::CallFrame frame(1);
        quon_bench::ResultCell result;
        quon_bench::SetIntArray(frame.Argument(0), Values().data(), Values().size());
        frame.Call(adapter, result.Cell());
        QUON_Evaluator::EvCell* const cells = frame.Argument(0) - 1;
        std::uint64_t checksum = 0;
        for (auto _ : state) {
            adapter(result.Cell(), cells);
            checksum = result.Cell()->Word();
        }
        quon_bench::RecordWork(state, kElements, checksum);
    });
}

void BM_VectorParameterSum(benchmark::State& state) {
    SumThrough(state, "sumVector");
}
void BM_ArrayViewParameterSum(benchmark::State& state) {
    SumThrough(state, "sumView");
}

BENCHMARK(BM_ArrayViewParameterSum);
BENCHMARK(BM_VectorParameterSum);

const bool rows = quon_bench::DeclareRatios({
    {"std::vector<std::int64_t> parameter vs ArrayView<long long>, 1M Ints", "BM_VectorParameterSum",
     "BM_ArrayViewParameterSum", quon_bench::Sense::TimeOf, 1.5},
});

}  // namespace
