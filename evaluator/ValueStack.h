// Pushing onto the current thread's evaluation stack, the host evaluator's value stack that
// the thread's evaluator word points to.
#pragma once

#include "hostabi/Evaluator.h"
#include "hostabi/HostThreadWords.h"

namespace QUON_Evaluator {

// The calling thread's evaluator; throws when the host has installed none on this thread.
Evaluator& CurrentEvaluator();

// A new top slot on the calling thread's value stack (a full stack doubles its cell count).
// The slot's words are unspecified until the caller writes a cell image into it.
inline void* PushValueSlot() {
    return CurrentEvaluator().PushSlot();
}

}  // namespace QUON_Evaluator
