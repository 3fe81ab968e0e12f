// One generation of life on a torus through the loaded library: its `lifeNextStep` row on a
// board the host holds as an array of arrays of Int (built once), the result released again in
// every iteration as a host is done with it, against a step over a flat int array with the
// library's rule. Boards of 64, 256 and 1024 cells a side, from one fixed random soup each; the
// checksum is the live count of the result. Apart, without a target: converting a flat board into
// the host's cells (built and released) against copying the flat array. Operations are cells.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include "bench/RatioTable.h"
#include "bench/RowCall.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"

namespace {

using Board = std::vector<std::int32_t>;  // row-major, side x side

// The soup of a side: about one cell in three alive, the same in every run.
const Board& Soup(std::int32_t side) {
    static std::map<std::int32_t, Board> soups;
    Board& board = soups[side];
    if (board.empty()) {
        std::mt19937 generator(static_cast<std::uint32_t>(side));
        board.resize(static_cast<std::size_t>(side) * side);
        for (std::int32_t& cell : board) cell = generator() % 3 == 0 ? 1 : 0;
    }
    return board;
}

std::int64_t LiveCount(const Board& board) {
    return std::count_if(board.begin(), board.end(), [](std::int32_t cell) { return cell != 0; });
}

// The library's rule (testlib/LifeFunctions.cpp): the sum over the 3x3 block around a cell, the
// cell included; a dead cell is born at 3, a live one stays at 2 or 3. Written without branches on
// the cells, as a plain step would be.
[[gnu::noinline]] void FlatStep(const std::int32_t* in, std::int32_t* out, std::int32_t width,
                                std::int32_t height) {
    for (std::int32_t r = 0; r < height; ++r) {
        const std::int32_t* above = in + (r == 0 ? height - 1 : r - 1) * width;
        const std::int32_t* row = in + r * width;
        const std::int32_t* below = in + (r == height - 1 ? 0 : r + 1) * width;
        for (std::int32_t c = 0; c < width; ++c) {
            const std::int32_t left = c == 0 ? width - 1 : c - 1;
            const std::int32_t right = c == width - 1 ? 0 : c + 1;
            const std::int32_t sum = above[left] + above[c] + above[right] + row[left] + row[c] +
                                     row[right] + below[left] + below[c] + below[right];
            out[r * width + c] = (sum == 3) | ((row[c] != 0) & (sum == 2));
        }
    }
}

void BM_LifeStepAdapter(benchmark::State& state) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    quon_bench::RunOrSkip(state, [&] {
        quon_host::EvaluatorScope evaluator;
        quon_bench::RowCall call("lifeNextStep", 3);
        quon_bench::SetBoard(call.Argument(0), Soup(side).data(), side, side);
        quon_host::HostContext()->setInt(call.Argument(1), side);
        quon_host::HostContext()->setInt(call.Argument(2), side);
        call.ThroughHost();
        for (auto _ : state) {
            call.ResultSlot().Release();
            call.Adapter();
        }
        quon_bench::RecordWork(state, std::int64_t{side} * side, quon_bench::LiveCells(call.Result()));
    });
}

void BM_LifeStepFlat(benchmark::State& state) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    const Board& board = Soup(side);
    Board next(board.size());
    for (auto _ : state) {
        FlatStep(board.data(), next.data(), side, side);
        benchmark::ClobberMemory();
    }
    quon_bench::RecordWork(state, std::int64_t{side} * side, LiveCount(next));
}

void BM_LifeBoardToHost(benchmark::State& state) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    const Board& board = Soup(side);
    quon_bench::ResultCell host;
    for (auto _ : state) {
        host.Release();
        quon_bench::SetBoard(host.Cell(), board.data(), side, side);
    }
    quon_bench::RecordWork(state, std::int64_t{side} * side, quon_bench::LiveCells(host.Cell()));
}

void BM_LifeBoardCopy(benchmark::State& state) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    const Board& board = Soup(side);
    Board copy(board.size());
    for (auto _ : state) {
        std::copy(board.begin(), board.end(), copy.begin());
        benchmark::ClobberMemory();
    }
    quon_bench::RecordWork(state, std::int64_t{side} * side, LiveCount(copy));
}

BENCHMARK(BM_LifeStepFlat)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_LifeStepAdapter)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_LifeBoardCopy)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_LifeBoardToHost)->Arg(64)->Arg(256)->Arg(1024);

using quon_bench::Sense;
const bool rows = quon_bench::DeclareRatios({
    {"lifeNextStep adapter vs flat torus step, 64x64", "BM_LifeStepAdapter/64", "BM_LifeStepFlat/64",
     Sense::TimeOf, 3},
    {"lifeNextStep adapter vs flat torus step, 256x256", "BM_LifeStepAdapter/256", "BM_LifeStepFlat/256",
     Sense::TimeOf, 3},
    {"lifeNextStep adapter vs flat torus step, 1024^2", "BM_LifeStepAdapter/1024", "BM_LifeStepFlat/1024",
     Sense::TimeOf, 3},
    {"board into host cells vs flat copy, 64x64", "BM_LifeBoardToHost/64", "BM_LifeBoardCopy/64",
     Sense::TimeOf},
    {"board into host cells vs flat copy, 256x256", "BM_LifeBoardToHost/256", "BM_LifeBoardCopy/256",
     Sense::TimeOf},
    {"board into host cells vs flat copy, 1024x1024", "BM_LifeBoardToHost/1024", "BM_LifeBoardCopy/1024",
     Sense::TimeOf},
});

}  // namespace
