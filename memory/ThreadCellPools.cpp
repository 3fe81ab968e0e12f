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
        threadCellPools = nullptr;  // from here on, a use on this thread starts over
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
