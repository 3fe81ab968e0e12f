// Costs of the cell hot paths, each as a ratio against its plain baseline measured in the same
// run: making and releasing a pooled integer cell against new/delete of the same 16 bytes, and
// the display text of integer and float cells against std::to_chars into a buffer. The ratios
// are printed after the benchmark table.
#include <benchmark/benchmark.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>

#include "evaluator/PrimitiveCells.h"
#include "memory/ThreadCellPools.h"

namespace {

using QUON_Evaluator::EvCell;
using Clock = std::chrono::steady_clock;

// Nanoseconds per operation of each benchmark's last (reported) run, timed around its loop.
class CellRatios {
public:
    void Record(const char* name, const benchmark::State& state, Clock::time_point start) {
        const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        if (state.iterations() != 0) perOperation[name] = ns / static_cast<double>(state.iterations());
    }
    ~CellRatios() {
        if (perOperation.empty()) return;
        std::printf("\nCell ratios against the baseline measured in this run (time per operation):\n");
        Print("EvaluateNew + release of an integer cell vs new/delete", "CellEvaluateNew", "NewDelete16");
        Print("ToString of an integer cell vs std::to_chars", "IntegerToString", "IntegerToChars");
        Print("ToString of a float cell vs std::to_chars", "FloatToString", "FloatToChars");
    }

private:
    void Print(const char* label, const char* subject, const char* baseline) const {
        const auto s = perOperation.find(subject), b = perOperation.find(baseline);
        if (s == perOperation.end() || b == perOperation.end() || b->second <= 0) return;
        std::printf("  %-58s %6.2fx the baseline's time\n", label, s->second / b->second);
    }
    std::map<std::string, double> perOperation;
};

CellRatios ratios;

// The cell behind an opaque pointer, so every operation is a real virtual call.
EvCell* Opaque(EvCell& cell) {
    EvCell* pointer = &cell;
    benchmark::DoNotOptimize(pointer);
    return pointer;
}

void BM_CellEvaluateNew(benchmark::State& state) {
    QUON_Evaluator::EvIntegerCell source(42);
    EvCell* cell = Opaque(source);
    const auto start = Clock::now();
    for (auto _ : state) {
        EvCell* copy = cell->EvaluateNew();
        benchmark::DoNotOptimize(copy);
        QUON_Evaluator::ReleasePooledCell(copy);
    }
    ratios.Record("CellEvaluateNew", state, start);
}

void BM_NewDelete16(benchmark::State& state) {
    const auto start = Clock::now();
    for (auto _ : state) {
        EvCell* copy = new QUON_Evaluator::EvIntegerCell(42);
        benchmark::DoNotOptimize(copy);
        delete copy;
    }
    ratios.Record("NewDelete16", state, start);
}

template <class Cell>
void ToStringLoop(benchmark::State& state, Cell source, const char* name) {
    EvCell* cell = Opaque(source);
    zul::zulStdString::tString out;
    const auto start = Clock::now();
    for (auto _ : state) {
        cell->ToString(out, false);
        benchmark::DoNotOptimize(out.Body());
    }
    ratios.Record(name, state, start);
}

template <class T>
void ToCharsLoop(benchmark::State& state, T value, const char* name) {
    char buffer[40];
    const auto start = Clock::now();
    for (auto _ : state) {
        benchmark::DoNotOptimize(value);
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        benchmark::DoNotOptimize(result.ptr);
        benchmark::ClobberMemory();
    }
    ratios.Record(name, state, start);
}

void BM_IntegerToString(benchmark::State& state) {
    ToStringLoop(state, QUON_Evaluator::EvIntegerCell(-1234567890123), "IntegerToString");
}
void BM_IntegerToChars(benchmark::State& state) {
    ToCharsLoop(state, static_cast<long long>(-1234567890123), "IntegerToChars");
}
void BM_FloatToString(benchmark::State& state) {
    ToStringLoop(state, QUON_Evaluator::EvFloatCell(3.14159265358979), "FloatToString");
}
void BM_FloatToChars(benchmark::State& state) {
    ToCharsLoop(state, 3.14159265358979, "FloatToChars");
}

BENCHMARK(BM_NewDelete16);
BENCHMARK(BM_CellEvaluateNew);
BENCHMARK(BM_IntegerToChars);
BENCHMARK(BM_IntegerToString);
BENCHMARK(BM_FloatToChars);
BENCHMARK(BM_FloatToString);

}  // namespace
