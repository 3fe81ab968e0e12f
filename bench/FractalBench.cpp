// Escape counts through the loaded library: its `mandel_escape_int` row called over a grid of
// points, one frame per point prepared beforehand, against a plain loop over the same points with
// the library's arithmetic. The checksum is the sum of the counts.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "bench/RatioTable.h"
#include "bench/RowCall.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"
#include "testlib/EscapeStep.h"

namespace {

using quon_bench::RowCall;

constexpr std::int32_t kColumns = 64;
constexpr std::int32_t kRows = 48;
constexpr std::int32_t kMaxIter = 1000;

struct Point {
    double cr, ci;
};

// The grid over [-2, 1] x [-1.2, 1.2], row by row.
const std::vector<Point>& Grid() {
    static const std::vector<Point> grid = [] {
        std::vector<Point> points;
        for (std::int32_t r = 0; r < kRows; ++r)
            for (std::int32_t c = 0; c < kColumns; ++c)
                points.push_back({-2.0 + 3.0 * c / kColumns, -1.2 + 2.4 * r / kRows});
        return points;
    }();
    return grid;
}

// The library's arithmetic in plain C++, from z = 0.
std::int32_t EscapeCount(double cr, double ci, std::int32_t maxIter) {
    return QUON_TestLib::EscapeStep(cr, ci, 0.0, 0.0, maxIter);
}

void BM_MandelAdapter(benchmark::State& state) {
    quon_bench::RunOrSkip(state, [&] {
        quon_host::EvaluatorScope evaluator;
        ParentContext* host = quon_host::HostContext();
        std::vector<std::unique_ptr<RowCall>> calls;
        for (const Point& point : Grid()) {
            auto call = std::make_unique<RowCall>("mandel_escape_int", 3);
            host->setFloat(call->Argument(0), point.cr);
            host->setFloat(call->Argument(1), point.ci);
            host->setInt(call->Argument(2), kMaxIter);
            call->ThroughHost();
            calls.push_back(std::move(call));
        }
        std::uint64_t checksum = 0;
        for (auto _ : state) {
            std::uint64_t sum = 0;
            for (const auto& call : calls) {
                call->Adapter();
                sum += call->Result()->Word();
            }
            checksum = sum;
        }
        quon_bench::RecordWork(state, static_cast<std::int64_t>(calls.size()), checksum);
    });
}

void BM_MandelPlain(benchmark::State& state) {
    const std::vector<Point>& grid = Grid();
    std::uint64_t checksum = 0;
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (const Point& point : grid)
            sum += static_cast<std::uint64_t>(EscapeCount(point.cr, point.ci, kMaxIter));
        benchmark::DoNotOptimize(sum);
        checksum = sum;
    }
    quon_bench::RecordWork(state, static_cast<std::int64_t>(grid.size()), checksum);
}

BENCHMARK(BM_MandelPlain);
BENCHMARK(BM_MandelAdapter);

const bool rows = quon_bench::DeclareRatios({
    {"mandel_escape_int adapter vs plain loop (64x48)", "BM_MandelAdapter", "BM_MandelPlain",
     quon_bench::Sense::TimeOf, 1.05},
});

}  // namespace
