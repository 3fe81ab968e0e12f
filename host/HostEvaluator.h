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
// for the scope's lifetime, and sets the thread's stack limit: half of the thread's stack is
// ordinary room, or `room` bytes below the caller when given; the rest is the extension reserve.
class EvaluatorScope {
public:
    explicit EvaluatorScope(std::size_t room = 0);
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

// The calling thread's evaluator as it was when the checkpoint was taken, to put back when an
// error ends a call: a callback that throws leaves the frame the library's callback wrapper opened
// (the library catches nothing), so Restore pops the cells pushed since (releasing each), drops the
// frame bytes and restores the frame base and limit. Taken on every call, so it reads four words
// and calls nothing.
class FrameCheckpoint {
public:
    explicit FrameCheckpoint(QUON_Evaluator::Evaluator* evaluator);  // null: nothing to restore
    void Restore() const;

private:
    QUON_Evaluator::Evaluator* evaluator;
    std::size_t depth;           // cells on the stack
    std::ptrdiff_t base, limit;  // frame base and limit, as offsets from the stack's begin
    std::size_t frameBytes;      // entries of the byte stack
};

// The host's own channel, parent of every evaluator's channel: keeps and logs errors.
zul::DiagnosticChannel& HostChannel();

// Stops the process with a message naming a host entry this host cannot serve.
[[noreturn]] void StopAtEntry(const char* entry);

// Host entries behind the evaluator.
QUON_Evaluator::Evaluator* CurrentEvaluator();
void PrepareCall(std::uint64_t count, std::uint64_t flag);
void EnterStackExtension();
void LeaveStackExtension();

}  // namespace quon_host
