// One generation of life on a torus through the loaded library: its `lifeNextStep` row on a
// board the host holds as an array of arrays of Int (built once), the result released again in
// every iteration as a host is done with it, against a step over a flat int array with the
// library's rule, and against the floor of any step on the host's cells (FloorStep). Boards of
// 64, 256 and 1024 cells a side, from one fixed random soup each; the checksum is the live count
// of the result. Apart, without a target: converting a flat board into
// the host's cells (built and released) against copying the flat array. Operations are cells.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include "bench/RatioTable.h"
#include "bench/RowCall.h"
#include "evaluator/PooledCell.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"

namespace {

using quon_bench::EvCell;
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

// The floor under any step on the host's cells, written here on the host's side: read the nine
// 16-byte input cells of every cell's block, write every cell through the host's setInt, one
// makeArray per row (its image moved into the outer array, its carrier given back) and one for
// the board, and release the previous result.
[[gnu::noinline]] void FloorStep(const EvCell* board, EvCell* result, std::int32_t side) {
    ParentContext* host = quon_host::HostContext();
    const EvCell* rows = quon_bench::ElementsOf(board);
    const auto payload = [](const EvCell* cells, std::int32_t column) {
        return static_cast<std::int32_t>(cells[column].Word());
    };
    QUON_Evaluator::PooledCell next(host->makeArray(static_cast<std::uint64_t>(side)));
    EvCell* nextRows = quon_bench::ElementsOf(next.Get());
    for (std::int32_t r = 0; r < side; ++r) {
        const EvCell* above = quon_bench::ElementsOf(&rows[r == 0 ? side - 1 : r - 1]);
        const EvCell* middle = quon_bench::ElementsOf(&rows[r]);
        const EvCell* below = quon_bench::ElementsOf(&rows[r == side - 1 ? 0 : r + 1]);
        QUON_Evaluator::PooledCell row(host->makeArray(static_cast<std::uint64_t>(side)));
        EvCell* out = quon_bench::ElementsOf(row.Get());
        for (std::int32_t c = 0; c < side; ++c) {
            const std::int32_t left = c == 0 ? side - 1 : c - 1;
            const std::int32_t right = c == side - 1 ? 0 : c + 1;
            const std::int32_t sum = payload(above, left) + payload(above, c) + payload(above, right) +
                                     payload(middle, left) + payload(middle, c) + payload(middle, right) +
                                     payload(below, left) + payload(below, c) + payload(below, right);
            host->setInt(&out[c], (sum == 3) | ((payload(middle, c) != 0) & (sum == 2)));
        }
        row.MoveImageTo(&nextRows[r]);
    }
    next.MoveImageTo(result);
}

void BM_LifeStepFloor(benchmark::State& state) {
    const auto side = static_cast<std::int32_t>(state.range(0));
    quon_host::EvaluatorScope evaluator;
    quon_bench::ResultCell board, result;
    quon_bench::SetBoard(board.Cell(), Soup(side).data(), side, side);
    FloorStep(board.Cell(), result.Cell(), side);
    for (auto _ : state) {
        result.Release();
        FloorStep(board.Cell(), result.Cell(), side);
    }
    quon_bench::RecordWork(state, std::int64_t{side} * side, quon_bench::LiveCells(result.Cell()));
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
BENCHMARK(BM_LifeStepFloor)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_LifeBoardCopy)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_LifeBoardToHost)->Arg(64)->Arg(256)->Arg(1024);

using quon_bench::Sense;
const bool rows = quon_bench::DeclareRatios({
    {"lifeNextStep adapter vs flat torus step, 64x64", "BM_LifeStepAdapter/64", "BM_LifeStepFlat/64",
     Sense::TimeOf, 2},
    {"lifeNextStep adapter vs flat torus step, 256x256", "BM_LifeStepAdapter/256", "BM_LifeStepFlat/256",
     Sense::TimeOf, 2},
    {"lifeNextStep adapter vs flat torus step, 1024^2", "BM_LifeStepAdapter/1024", "BM_LifeStepFlat/1024",
     Sense::TimeOf, 2},
    {"lifeNextStep adapter vs its floor on host cells, 64x64", "BM_LifeStepAdapter/64", "BM_LifeStepFloor/64",
     Sense::TimeOf, 1.1},
    {"lifeNextStep adapter vs its floor on host cells, 256x256", "BM_LifeStepAdapter/256",
     "BM_LifeStepFloor/256", Sense::TimeOf, 1.1},
    {"lifeNextStep adapter vs its floor on host cells, 1024^2", "BM_LifeStepAdapter/1024",
     "BM_LifeStepFloor/1024", Sense::TimeOf, 1.1},
    {"floor on host cells vs flat torus step, 1024^2", "BM_LifeStepFloor/1024", "BM_LifeStepFlat/1024",
     Sense::TimeOf},
    {"board into host cells vs flat copy, 64x64", "BM_LifeBoardToHost/64", "BM_LifeBoardCopy/64",
     Sense::TimeOf},
    {"board into host cells vs flat copy, 256x256", "BM_LifeBoardToHost/256", "BM_LifeBoardCopy/256",
     Sense::TimeOf},
    {"board into host cells vs flat copy, 1024x1024", "BM_LifeBoardToHost/1024", "BM_LifeBoardCopy/1024",
     Sense::TimeOf},
});

}  // namespace
