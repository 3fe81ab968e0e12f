// Allocation costs of the pools, each as a ratio against malloc + free measured in the same
// run. Prints the ratios after the benchmark table.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kPairsPerCall = 1000;

void* Open(const char* path) {
    void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
        std::exit(1);
    }
    return module;
}

template <class Fn>
Fn Resolve(void* module, const char* name) {
    void* symbol = dlsym(module, name);
    if (symbol == nullptr) {
        std::fprintf(stderr, "missing symbol %s\n", name);
        std::exit(1);
    }
    return reinterpret_cast<Fn>(symbol);
}

using LoopFn = void (*)(std::size_t);

void RunLoop(benchmark::State& state, LoopFn loop) {
    for (auto _ : state) loop(kPairsPerCall);
    state.SetItemsProcessed(state.iterations() * kPairsPerCall);
}

void BM_CellPoolPair(benchmark::State& state) {
    static LoopFn loop = Resolve<LoopFn>(Open(QUON_CELL_BENCH_MODULE_PATH), "QuonBenchCellPairs");
    RunLoop(state, loop);
}

void BM_CellPoolPairDefaultTls(benchmark::State& state) {
    static LoopFn loop = Resolve<LoopFn>(Open(QUON_CELL_BENCH_MODULE_PATH), "QuonBenchCellPairsDefaultTls");
    RunLoop(state, loop);
}

void BM_Malloc16Pair(benchmark::State& state) {
    static LoopFn loop = Resolve<LoopFn>(Open(QUON_CELL_BENCH_MODULE_PATH), "QuonBenchMallocPairs");
    RunLoop(state, loop);
}

// String bodies through the built library's exported allocFnImp / freeFnImp (the locked pool).
void BM_StringBodyPair(benchmark::State& state) {
    static void* library = Open(QUON_LIBRARY_PATH);
    static auto alloc = Resolve<void* (*)()>(library, "_ZN3zul12zulStdString11tBaseString10allocFnImpEv");
    static auto release =
        Resolve<void (*)(void*)>(library, "_ZN3zul12zulStdString11tBaseString9freeFnImpEPv");
    for (auto _ : state) {
        for (std::size_t i = 0; i < kPairsPerCall; ++i) {
            void* body = alloc();
            benchmark::DoNotOptimize(body);
            benchmark::ClobberMemory();
            release(body);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPairsPerCall);
}

void BM_Malloc40Pair(benchmark::State& state) {
    for (auto _ : state) {
        for (std::size_t i = 0; i < kPairsPerCall; ++i) {
            void* block = std::malloc(40);
            benchmark::DoNotOptimize(block);
            benchmark::ClobberMemory();
            std::free(block);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPairsPerCall);
}

BENCHMARK(BM_Malloc16Pair);
BENCHMARK(BM_CellPoolPair);
BENCHMARK(BM_CellPoolPairDefaultTls);
BENCHMARK(BM_Malloc40Pair);
BENCHMARK(BM_StringBodyPair);

// Keeps each run's time per pair (nanoseconds), by benchmark name, for the ratios.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            // Adjusted real time is per iteration, in the run's time unit; an iteration is one call.
            const double seconds =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            nanosecondsPerPair[run.run_name.function_name] = seconds * 1e9 / kPairsPerCall;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double PerPair(const std::string& name) const {
        auto found = nanosecondsPerPair.find(name);
        return found != nanosecondsPerPair.end() ? found->second : 0.0;
    }

private:
    std::map<std::string, double> nanosecondsPerPair;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto ratio = [&](const char* subject, const char* baseline) {
        const double s = reporter.PerPair(subject);
        const double b = reporter.PerPair(baseline);
        return s > 0 && b > 0 ? s / b : 0.0;
    };
    std::printf("\nRatios against the baseline measured in this run (time per pair):\n");
    if (double r = ratio("BM_CellPoolPair", "BM_Malloc16Pair"); r > 0)
        std::printf("  cell pool alloc+free vs malloc(16)+free:           %.2fx faster (target >= 3)\n",
                    1 / r);
    if (double r = ratio("BM_CellPoolPairDefaultTls", "BM_Malloc16Pair"); r > 0)
        std::printf("  same, pools found via default-model thread_local:  %.2fx faster (for comparison)\n",
                    1 / r);
    if (double r = ratio("BM_StringBodyPair", "BM_Malloc40Pair"); r > 0)
        std::printf(
            "  string body allocFnImp+freeFnImp vs malloc(40)+free: %.2fx malloc's time (target <= 2)\n",
            r);
    return 0;
}
