// Allocation costs of the pools, each against malloc + free of the same size:
// - cell pool 1 through the inline hot path, in a loop compiled into a shared module with its
//   own runtime copy (bench/modules), as the library's own code inlines it;
// - string bodies through the loaded library's exported allocFnImp / freeFnImp (the locked pool).
// Each iteration is one call of kPairsPerCall pairs.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <exception>

#include "bench/RatioTable.h"
#include "bench/ResidentLibrary.h"

namespace {

constexpr std::int64_t kPairsPerCall = 1000;

using LoopFn = void (*)(std::size_t);

// A loop of the benchmark module, or null with the loader's message in `error`.
LoopFn ModuleLoop(const char* name, const char*& error) {
    static void* module = dlopen(QUON_CELL_BENCH_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        error = "cannot load the cell benchmark module";
        return nullptr;
    }
    auto loop = reinterpret_cast<LoopFn>(dlsym(module, name));
    if (loop == nullptr) error = "the cell benchmark module lacks a loop";
    return loop;
}

void RunModuleLoop(benchmark::State& state, const char* name) {
    const char* error = nullptr;
    const LoopFn loop = ModuleLoop(name, error);
    if (loop == nullptr) {
        state.SkipWithError(error);
        return;
    }
    for (auto _ : state) loop(kPairsPerCall);
    quon_bench::RecordWork(state, kPairsPerCall);
}

void BM_CellPoolPair(benchmark::State& state) {
    RunModuleLoop(state, "QuonBenchCellPairs");
}

void BM_CellPoolPairDefaultTls(benchmark::State& state) {
    RunModuleLoop(state, "QuonBenchCellPairsDefaultTls");
}

void BM_Malloc16Pair(benchmark::State& state) {
    RunModuleLoop(state, "QuonBenchMallocPairs");
}

// `count` string-body pairs through the library's exported pair of functions.
[[gnu::noinline]] void StringBodyPairs(void* (*alloc)(), void (*release)(void*), std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) {
        void* body = alloc();
        benchmark::DoNotOptimize(body);
        release(body);
    }
}

// The baseline, of the same structure: malloc(40) + free.
[[gnu::noinline]] void Malloc40Pairs(std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) {
        void* block = std::malloc(40);
        benchmark::DoNotOptimize(block);
        std::free(block);
    }
}

void BM_StringBodyPair(benchmark::State& state) {
    const quon_host::StringAllocApi* strings = nullptr;
    try {
        strings = &quon_bench::ResidentLibrary::Get().Loaded().Strings();
    } catch (const std::exception& failure) {
        state.SkipWithError(failure.what());
        return;
    }
    for (auto _ : state) StringBodyPairs(strings->allocFnImp, strings->freeFnImp, kPairsPerCall);
    quon_bench::RecordWork(state, kPairsPerCall);
}

void BM_Malloc40Pair(benchmark::State& state) {
    for (auto _ : state) Malloc40Pairs(kPairsPerCall);
    quon_bench::RecordWork(state, kPairsPerCall);
}

BENCHMARK(BM_Malloc16Pair);
BENCHMARK(BM_CellPoolPair);
BENCHMARK(BM_CellPoolPairDefaultTls);
BENCHMARK(BM_Malloc40Pair);
BENCHMARK(BM_StringBodyPair);

using quon_bench::Sense;
const bool rows = quon_bench::DeclareRatios({
    {"cell pool pair, inlined in a module, vs malloc(16)", "BM_CellPoolPair", "BM_Malloc16Pair",
     Sense::Faster, 3},
    {"same, pools found via a default-model thread_local", "BM_CellPoolPairDefaultTls", "BM_Malloc16Pair",
     Sense::Faster},
    {"string body allocFnImp+freeFnImp vs malloc(40)", "BM_StringBodyPair", "BM_Malloc40Pair",
     Sense::TimeOf, 2},
});

}  // namespace
