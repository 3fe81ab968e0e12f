// Every thread's own cell pools, and the cell hot path.
//
//   threadCellPools (initial-exec __thread word, one per thread)
//        |  null until the thread's first use
//        v
//   ThreadCellPools (heap): cell pool 1 .. cell pool 21, universal pool
//
// The first use on a thread builds the pools (21 cell pools, then the universal pool with its
// 23 sub-pools) and arranges for their destruction, in reverse order, at thread exit; their
// free lists then go back to the zone managers for later threads.
//
// AllocateCell and FreeCell are a load of the thread word and a pop or push on cell pool 1's
// free list: no lock, no atomic, no call. The word uses the initial-exec model, because in a
// dlopened library the default model makes every access a call to __tls_get_addr.
#pragma once

#include <cstddef>

#include "memory/EvCellMemoryPool.h"
#include "memory/UniversalHeapMemoryPool.h"
#include "platform/Platform.h"

namespace QUON_Evaluator {

// Cell pools 1..N as a chain of bases, so that pool 1 is built first and destroyed last.
template <std::size_t N>
class CellPoolChain : public CellPoolChain<N - 1> {
public:
    EvCellMemoryPool<N, 0> pool;  // cell pool N
};

template <>
class CellPoolChain<0> {};

class alignas(zul::platform::kCacheLineSize) ThreadCellPools {
public:
    static constexpr std::size_t kCellPoolCount = 21;
    static constexpr const char* kUniversalPoolName = "UniversalCellMemoryPool";

    ThreadCellPools() : universalPool(kUniversalPoolName) {}

    template <std::size_t N>
    EvCellMemoryPool<N, 0>& GetCellPool() {
        return static_cast<CellPoolChain<N>&>(cellPools).pool;
    }
    zmm::UniversalHeapMemoryPool<EvCell, 16>& GetUniversalPool() { return universalPool; }

private:
    CellPoolChain<kCellPoolCount> cellPools;                 // cell pools 1..21
    zmm::UniversalHeapMemoryPool<EvCell, 16> universalPool;  // built after the cell pools
};

// The calling thread's pools, or null before the thread's first use.
extern __thread ThreadCellPools* threadCellPools __attribute__((tls_model("initial-exec")));

// Builds the calling thread's pools (cold path); returns them.
[[gnu::noinline, gnu::cold]] ThreadCellPools* ConstructThreadCellPools();

// The calling thread's pools, built on first use.
inline ThreadCellPools& CurrentThreadCellPools() {
    ThreadCellPools* pools = threadCellPools;
    if (pools == nullptr) [[unlikely]]
        pools = ConstructThreadCellPools();
    return *pools;
}

// A 16-byte cell block from the calling thread's cell pool 1.
inline void* AllocateCell() {
    return CurrentThreadCellPools().GetCellPool<1>().Allocate();
}

// A 16-byte cell block from the head of the calling thread's cell pool 1, or null when the
// pools are not built yet or the list is empty: then the caller's out-of-line path takes
// AllocateCell. Keeps a caller's fast path free of calls.
inline void* TryAllocateCell() {
    ThreadCellPools* pools = threadCellPools;
    return pools != nullptr ? pools->GetCellPool<1>().GetAllocator().TryAllocate() : nullptr;
}

// Gives a 16-byte cell block to the calling thread's cell pool 1.
inline void FreeCell(void* block) {
    CurrentThreadCellPools().GetCellPool<1>().Free(block);
}

}  // namespace QUON_Evaluator
