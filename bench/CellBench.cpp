// Costs of the cell hot paths, each against its plain baseline:
// - a new integer cell and its release on the real path, inside the loaded library: the
//   library's virtual EvaluateNew of a cell of the library's integer class, and the library's
//   ReleasePooledCell, against malloc(16), the same two-word copy and free;
// - the same in this program's own copy of the runtime, against new/delete of the cell;
// - the display text of integer and float cells against std::to_chars into a buffer.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "bench/RatioTable.h"
#include "bench/ResidentLibrary.h"
#include "evaluator/PrimitiveCells.h"
#include "host/HostEvaluator.h"

namespace {

using QUON_Evaluator::EvCell;

constexpr std::int64_t kPairsPerIteration = 1000;
constexpr std::int64_t kCellValue = 42;

// The library's hidden symbols the real path needs.
constexpr const char* kIntegerCellTable = "_ZTVN14QUON_Evaluator13EvIntegerCellE";
constexpr const char* kReleasePooledCell = "_ZN14QUON_Evaluator17ReleasePooledCellEPNS_6EvCellE";
// A cell's class identity is its class's table of operations, 16 bytes into the vtable symbol
// (after the offset-to-top and type-information words).
constexpr std::uintptr_t kTableOffsetInVtable = 16;

using ReleaseFn = void (*)(EvCell*);

// The cell behind an opaque pointer, so every operation is a real virtual call.
EvCell* Opaque(EvCell* cell) {
    benchmark::DoNotOptimize(cell);
    return cell;
}

// The checksum of a produced cell: its two words, summed.
std::uint64_t CellWords(const void* cell) {
    std::uint64_t words[2];
    std::memcpy(words, cell, sizeof words);
    return words[0] + words[1];
}

// `count` new cells on the library's path: its EvaluateNew copies `cell` into a cell of its
// pool, its ReleasePooledCell gives the cell back. Returns the checksum of the cells made.
[[gnu::noinline]] std::uint64_t LibraryCellPairs(EvCell* cell, ReleaseFn release, std::int64_t count) {
    std::uint64_t sum = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        EvCell* copy = cell->EvaluateNew();
        benchmark::DoNotOptimize(copy);
        sum += CellWords(copy);
        release(copy);
    }
    return sum;
}

// The floor of the pair: the same two calls into the library, to operations that do nothing
// (SelfReference returns the cell, HookA is empty). What the pair costs above this is the
// allocation and release themselves.
[[gnu::noinline]] std::uint64_t LibraryEmptyCallPairs(EvCell* cell, std::int64_t count) {
    std::uint64_t sum = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        EvCell* same = cell->SelfReference();
        benchmark::DoNotOptimize(same);
        sum += CellWords(same);
        same->HookA();
    }
    return sum;
}

// The baseline, of the same structure: malloc(16), the cell's two words copied in, free.
[[gnu::noinline]] std::uint64_t MallocCellPairs(const void* cell, std::int64_t count) {
    std::uint64_t sum = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        void* block = std::malloc(sizeof(EvCell));
        if (block == nullptr) std::abort();
        std::memcpy(block, cell, sizeof(EvCell));
        benchmark::DoNotOptimize(block);
        sum += CellWords(block);
        std::free(block);
    }
    return sum;
}

// The image of an integer cell of the library's class, as the library would make it.
struct LibraryIntegerCell {
    alignas(EvCell) unsigned char bytes[sizeof(EvCell)];
    ReleaseFn release = nullptr;

    // False (with `error` set) when the library's symbols cannot be found.
    bool Make(std::string& error) {
        try {
            const quon_bench::ResidentLibrary& library = quon_bench::ResidentLibrary::Get();
            void* vtable = library.HiddenSymbol(kIntegerCellTable);
            release = reinterpret_cast<ReleaseFn>(library.HiddenSymbol(kReleasePooledCell));
            if (vtable == nullptr || release == nullptr) {
                error =
                    "the built library has no symbol table (stripped?): its integer cell class and "
                    "ReleasePooledCell cannot be reached";
                return false;
            }
            const std::uint64_t words[2] = {reinterpret_cast<std::uintptr_t>(vtable) + kTableOffsetInVtable,
                                            static_cast<std::uint64_t>(kCellValue)};
            std::memcpy(bytes, words, sizeof bytes);
            return true;
        } catch (const std::exception& failure) {
            error = failure.what();
            return false;
        }
    }
    EvCell* Cell() { return std::launder(reinterpret_cast<EvCell*>(bytes)); }
};

// Runs `loop` (pairs over the library's integer cell image) as the benchmark's iterations, or
// skips the benchmark when the library's symbols cannot be found.
template <class Loop>
void RunOnLibraryCell(benchmark::State& state, Loop loop) {
    LibraryIntegerCell image;
    std::string error;
    if (!image.Make(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    // Library code runs on a thread with the host's evaluator installed, as under the host.
    quon_host::EvaluatorScope evaluator;
    std::uint64_t checksum = 0;
    for (auto _ : state) checksum = loop(image);
    quon_bench::RecordWork(state, kPairsPerIteration, checksum);
}

void BM_LibraryCellPair(benchmark::State& state) {
    RunOnLibraryCell(state, [](LibraryIntegerCell& image) {
        return LibraryCellPairs(Opaque(image.Cell()), image.release, kPairsPerIteration);
    });
}

void BM_LibraryCallFloor(benchmark::State& state) {
    RunOnLibraryCell(state, [](LibraryIntegerCell& image) {
        return LibraryEmptyCallPairs(Opaque(image.Cell()), kPairsPerIteration);
    });
}

void BM_MallocCellPair(benchmark::State& state) {
    RunOnLibraryCell(
        state, [](LibraryIntegerCell& image) { return MallocCellPairs(image.bytes, kPairsPerIteration); });
}

// The same pair in this program's own copy of the runtime, one per iteration.
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

BENCHMARK(BM_MallocCellPair);
BENCHMARK(BM_LibraryCellPair);
BENCHMARK(BM_LibraryCallFloor);
BENCHMARK(BM_NewDelete16);
BENCHMARK(BM_CellEvaluateNew);
BENCHMARK(BM_IntegerToChars);
BENCHMARK(BM_IntegerToString);
BENCHMARK(BM_FloatToChars);
BENCHMARK(BM_FloatToString);

using quon_bench::Sense;
const bool rows = quon_bench::DeclareRatios({
    {"new cell + release, library path vs malloc(16)", "BM_LibraryCellPair", "BM_MallocCellPair",
     Sense::Faster, 3},
    {"the same two calls doing nothing (the floor) vs malloc(16)", "BM_LibraryCallFloor",
     "BM_MallocCellPair", Sense::Faster},
    {"new cell + release, host's runtime vs new/delete", "BM_CellEvaluateNew", "BM_NewDelete16",
     Sense::Faster},
    {"ToString of an integer cell vs std::to_chars", "BM_IntegerToString", "BM_IntegerToChars",
     Sense::TimeOf},
    {"ToString of a float cell vs std::to_chars", "BM_FloatToString", "BM_FloatToChars", Sense::TimeOf},
});

}  // namespace
