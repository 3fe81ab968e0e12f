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

// Optional: a host that exports this function takes back the 16-byte pooled cells it made and
// the library is done with (array carriers from makeArray, results of evaluating the host's
// function cells) into the calling thread's own cell pool. The library looks it up by name when
// it is bound; without it those cells go to the library's pool, as they did before.
using QuonHostReturnCellFn = void (*)(void* cell);
inline constexpr const char* kQuonHostReturnCellSymbol = "quonHostReturnCell";
}

namespace QUON_Evaluator {

inline void* HostStackLimit() {
    return quonHostThreadWords.stackLimit;
}
inline Evaluator* HostCurrentEvaluator() {
    return quonHostThreadWords.currentEvaluator;
}

}  // namespace QUON_Evaluator
