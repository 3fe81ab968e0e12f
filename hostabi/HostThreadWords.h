// The two per-thread words the host keeps for every thread that runs Quon code and the
// library reads directly: the thread's stack limit and its current evaluator.
//
// The host executable defines `quonHostThreadWords` in its static thread-local block and
// exports it (see docs/host-abi.md). The library imports it with the initial-exec model, so
// reading a word is one load relative to the thread pointer, with no call.
#pragma once

#include <cstddef>

namespace QUON_Evaluator {
class Evaluator;
}

extern "C" {

struct QuonHostThreadWords {
    void* stackLimit;                             // lowest stack address the thread may use
    QUON_Evaluator::Evaluator* currentEvaluator;  // the evaluator running on this thread, or null
};

static_assert(sizeof(QuonHostThreadWords) == 16);
static_assert(offsetof(QuonHostThreadWords, stackLimit) == 0);
static_assert(offsetof(QuonHostThreadWords, currentEvaluator) == 8);

extern __thread QuonHostThreadWords quonHostThreadWords __attribute__((tls_model("initial-exec")));
}

namespace QUON_Evaluator {

inline void* HostStackLimit() {
    return quonHostThreadWords.stackLimit;
}
inline Evaluator* HostCurrentEvaluator() {
    return quonHostThreadWords.currentEvaluator;
}

}  // namespace QUON_Evaluator
