// Benchmark loops compiled into a position-independent shared module with its own copy of
// the runtime, the way the library's own code runs: the cell hot path is reached through the
// same inline functions and the same initial-exec thread word.
#include <cstddef>
#include <cstdlib>

#include "memory/ThreadCellPools.h"

#define BENCH_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Makes the compiler assume `p` is used and memory changed, so no pair can be dropped or merged.
inline void Escape(void* p) {
    asm volatile("" : : "r"(p) : "memory");
}

// The calling thread's pools through a thread_local of the default (global-dynamic) model: every
// access is a call to __tls_get_addr in a shared module. For comparison with the word the
// runtime uses.
[[gnu::noinline]] QUON_Evaluator::ThreadCellPools* PoolsThroughDefaultTls() {
    static thread_local QUON_Evaluator::ThreadCellPools* pools = nullptr;
    if (pools == nullptr) pools = &QUON_Evaluator::CurrentThreadCellPools();
    return pools;
}

}  // namespace

// `count` allocate + free pairs of a 16-byte cell from the calling thread's cell pool 1.
BENCH_EXPORT void QuonBenchCellPairs(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        void* cell = QUON_Evaluator::AllocateCell();
        Escape(cell);
        QUON_Evaluator::FreeCell(cell);
    }
}

// The same pairs, finding the pools through a default-model thread_local on each access.
BENCH_EXPORT void QuonBenchCellPairsDefaultTls(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        void* cell = PoolsThroughDefaultTls()->GetCellPool<1>().Allocate();
        Escape(cell);
        PoolsThroughDefaultTls()->GetCellPool<1>().Free(cell);
    }
}

// `count` malloc(16) + free pairs: the baseline.
BENCH_EXPORT void QuonBenchMallocPairs(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        void* block = std::malloc(16);
        Escape(block);
        std::free(block);
    }
}
