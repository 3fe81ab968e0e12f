// The stand-in host's evaluators: one per thread that runs library code, installed in the
// thread's per-thread words together with the thread's stack limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "diagnostics/DiagnosticChannel.h"
#include "hostabi/Evaluator.h"

namespace quon_host {

// Installs an evaluator (with its value stack and diagnostic channel) on the calling thread
// for the scope's lifetime, and sets the thread's stack limit.
class EvaluatorScope {
public:
    EvaluatorScope();
    ~EvaluatorScope();
    EvaluatorScope(const EvaluatorScope&) = delete;
    EvaluatorScope& operator=(const EvaluatorScope&) = delete;

    QUON_Evaluator::Evaluator& Get() { return evaluator_; }
    zul::DiagnosticChannel& Channel() { return channel_; }

private:
    zul::DiagnosticChannel channel_;  // the evaluator's channel, a child of the host's channel
    QUON_Evaluator::Evaluator evaluator_;
    QUON_Evaluator::Evaluator* previousEvaluator_;
    void* previousStackLimit_;
};

// Restores the thread's stack limit and drops the stack extensions entered since its start when it
// ends: an error that unwinds past extensions the library entered (it catches nothing, so it never
// leaves them) then leaves the next call the normal limit.
class StackExtensionScope {
public:
    StackExtensionScope();
    ~StackExtensionScope();
    StackExtensionScope(const StackExtensionScope&) = delete;
    StackExtensionScope& operator=(const StackExtensionScope&) = delete;

private:
    void* limit;        // the limit at the start
    std::size_t depth;  // extensions entered at the start
};

// The host's own channel, parent of every evaluator's channel: keeps and logs errors.
zul::DiagnosticChannel& HostChannel();

// Host entries behind the evaluator.
QUON_Evaluator::Evaluator* CurrentEvaluator();
void PrepareCall(std::uint64_t count, std::uint64_t flag);
void EnterStackExtension();
void LeaveStackExtension();

}  // namespace quon_host
