#include "memory/ThreadCellPools.h"

#include <memory>

namespace QUON_Evaluator {

__thread ThreadCellPools* threadCellPools __attribute__((tls_model("initial-exec"))) = nullptr;

namespace {

// Owns the thread's pools; its thread_local instance is touched only on the cold path, and
// its destructor runs at thread exit.
struct ThreadCellPoolsOwner {
    std::unique_ptr<ThreadCellPools> pools;

    ~ThreadCellPoolsOwner() {
        // A cell used after this (from a later thread-exit destructor) would build pools that
        // no destructor ends; nothing in the runtime does that.
        threadCellPools = nullptr;
        pools.reset();
    }
};

thread_local ThreadCellPoolsOwner threadCellPoolsOwner;

}  // namespace

ThreadCellPools* ConstructThreadCellPools() {
    ThreadCellPoolsOwner& owner = threadCellPoolsOwner;
    if (owner.pools == nullptr) owner.pools = std::make_unique<ThreadCellPools>();
    threadCellPools = owner.pools.get();
    return threadCellPools;
}

}  // namespace QUON_Evaluator
