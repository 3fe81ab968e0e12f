// Cost of loading the built library as the host does, against the smallest C++ module
// (bench/modules/EmptyModule.cpp) and against the same library in the default layout: dlopen(RTLD_NOW | RTLD_LOCAL), BindToParentContext with the
// host's operation table, LibraryData, dlclose. Every iteration loads and unloads the module for
// real: a module still loaded before the first iteration or after the last one (which a module
// that cannot be unloaded would be) turns the benchmark into an error.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <string>

#include "bench/RatioTable.h"
#include "host/HostContext.h"
#include "host/HostEvaluator.h"

namespace {

// The two entry points as the load calls them; the descriptor itself is not read.
using BindFn = void (*)(ParentContext*);
using DataFn = const void* (*)();

bool IsLoaded(const char* path) {
    void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    if (module == nullptr) return false;
    dlclose(module);
    return true;
}

// One load, bind, descriptor and unload; false with `error` set when a step fails.
[[gnu::noinline]] bool LoadOnce(const char* path, std::string& error) {
    void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        error = dlerror();
        return false;
    }
    const auto bind = reinterpret_cast<BindFn>(dlsym(module, "BindToParentContext"));
    const auto data = reinterpret_cast<DataFn>(dlsym(module, "LibraryData"));
    if (bind != nullptr && data != nullptr) {
        bind(quon_host::HostContext());
        benchmark::DoNotOptimize(data());
    } else {
        error = std::string(path) + " lacks BindToParentContext or LibraryData";
    }
    dlclose(module);
    return bind != nullptr && data != nullptr;
}

void LoadLoop(benchmark::State& state, const char* path) {
    const std::string stillLoaded =
        std::string(path) + " is still loaded after dlclose: nothing to measure";
    if (IsLoaded(path)) {
        state.SkipWithError(stillLoaded.c_str());
        return;
    }
    // The host installs its evaluator before it loads a library.
    quon_host::EvaluatorScope evaluator;
    std::string error;
    for (auto _ : state) {
        if (!LoadOnce(path, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    if (IsLoaded(path)) state.SkipWithError(stillLoaded.c_str());
    quon_bench::RecordWork(state, 1);
}

void BM_LoadLibrary(benchmark::State& state) {
    LoadLoop(state, QUON_LIBRARY_PATH);
}

// The same library linked without LOAD_ORDER (the default layout of an extension library).
void BM_LoadLibraryDefaultLayout(benchmark::State& state) {
    LoadLoop(state, QUON_DEFAULT_LAYOUT_LIBRARY_PATH);
}

void BM_LoadEmptyModule(benchmark::State& state) {
    LoadLoop(state, QUON_EMPTY_MODULE_PATH);
}

BENCHMARK(BM_LoadEmptyModule);
BENCHMARK(BM_LoadLibrary);
BENCHMARK(BM_LoadLibraryDefaultLayout);

const bool rows = quon_bench::DeclareRatios({
    {"load + bind + LibraryData + unload vs empty module", "BM_LoadLibrary", "BM_LoadEmptyModule",
     quon_bench::Sense::TimeOf, 2.5},
    {"load with LOAD_ORDER's layout vs the same library in the default layout", "BM_LoadLibrary",
     "BM_LoadLibraryDefaultLayout", quon_bench::Sense::TimeOf, 1.0},
});

}  // namespace
