// Costs of the cell hot paths, each against its plain baseline:
// - a new integer cell and its release in this program's own copy of the runtime, against
//   new/delete of the cell;
// - the display text of integer and float cells against std::to_chars into a buffer.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <string>

#include "bench/RatioTable.h"
#include "evaluator/PrimitiveCells.h"

namespace {

using QUON_Evaluator::EvCell;

constexpr std::int64_t kCellValue = 42;

// The cell behind an opaque pointer, so every operation is a real virtual call.
EvCell* Opaque(EvCell* cell) {
    benchmark::DoNotOptimize(cell);
    return cell;
}

void BM_CellEvaluateNew(benchmark::State& state) {
    QUON_Evaluator::EvIntegerCell source(kCellValue);
    EvCell* cell = Opaque(&source);
    std::uint64_t checksum = 0;
    for (auto _ : state) {
        EvCell* copy = cell->EvaluateNew();
        benchmark::DoNotOptimize(copy);
        checksum = copy->Word();
        QUON_Evaluator::ReleasePooledCell(copy);
    }
    quon_bench::RecordWork(state, 1, checksum);
}

void BM_NewDelete16(benchmark::State& state) {
    std::uint64_t checksum = 0;
    for (auto _ : state) {
        EvCell* copy = new QUON_Evaluator::EvIntegerCell(kCellValue);
        benchmark::DoNotOptimize(copy);
        checksum = copy->Word();
        delete copy;
    }
    quon_bench::RecordWork(state, 1, checksum);
}

// FNV-1a of a text: the checksum of a produced display text.
std::uint64_t TextChecksum(const char* text, std::size_t size) {
    std::uint64_t hash = 14695981039346656037ull;
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ static_cast<unsigned char>(text[i])) * 1099511628211ull;
    return hash;
}

template <class Cell>
void ToStringLoop(benchmark::State& state, Cell source) {
    EvCell* cell = Opaque(&source);
    zul::zulStdString::tString out;
    for (auto _ : state) {
        cell->ToString(out, false);
        benchmark::DoNotOptimize(out.Body());
    }
    quon_bench::RecordWork(state, 1, TextChecksum(out.c_str(), out.size()));
}

template <class T>
void ToCharsLoop(benchmark::State& state, T value) {
    char buffer[40];
    char* end = buffer;
    for (auto _ : state) {
        benchmark::DoNotOptimize(value);
        end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        benchmark::DoNotOptimize(end);
        benchmark::ClobberMemory();
    }
    quon_bench::RecordWork(state, 1, TextChecksum(buffer, static_cast<std::size_t>(end - buffer)));
}

constexpr std::int64_t kIntegerShown = -1234567890123;
constexpr double kFloatShown = 3.14159265358979;

void BM_IntegerToString(benchmark::State& state) {
    ToStringLoop(state, QUON_Evaluator::EvIntegerCell(kIntegerShown));
}
void BM_IntegerToChars(benchmark::State& state) {
    ToCharsLoop(state, static_cast<long long>(kIntegerShown));
}
void BM_FloatToString(benchmark::State& state) {
    ToStringLoop(state, QUON_Evaluator::EvFloatCell(kFloatShown));
}
void BM_FloatToChars(benchmark::State& state) {
    ToCharsLoop(state, kFloatShown);
}

BENCHMARK(BM_NewDelete16);
BENCHMARK(BM_CellEvaluateNew);
BENCHMARK(BM_IntegerToChars);
BENCHMARK(BM_IntegerToString);
BENCHMARK(BM_FloatToChars);
BENCHMARK(BM_FloatToString);

using quon_bench::Sense;
const bool rows = quon_bench::DeclareRatios({
    {"new cell + release, host's runtime vs new/delete", "BM_CellEvaluateNew", "BM_NewDelete16",
     Sense::Faster},
    {"ToString of an integer cell vs std::to_chars", "BM_IntegerToString", "BM_IntegerToChars",
     Sense::TimeOf},
    {"ToString of a float cell vs std::to_chars", "BM_FloatToString", "BM_FloatToChars", Sense::TimeOf},
});

}  // namespace
