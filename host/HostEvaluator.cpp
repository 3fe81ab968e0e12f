#include "host/HostEvaluator.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

#include "diagnostics/Exception.h"
#include "evaluator/cell.h"
#include "host/HostFaults.h"
#include "hostabi/HostThreadWords.h"

namespace quon_host {

using QUON_Evaluator::CellSlot;
using QUON_Evaluator::Evaluator;

namespace {

constexpr std::size_t kInitialStackCells = 64;
constexpr std::size_t kStackGuardBytes = 64 * 1024;

struct ThreadStack {
    char* low = nullptr;
    std::size_t size = 0;
};

// The stack a thread may use when nothing bounds it: the main thread's stack grows on demand up to
// the stack size limit, and with no limit (ulimit -s unlimited) its reported size runs to the next
// mapping, gigabytes away, which the process could never fill before memory runs out.
constexpr std::size_t kUnboundedStackBudget = 8 << 20;

ThreadStack CallingThreadStack() {
    ThreadStack result;
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) return result;
    void* low = nullptr;
    if (pthread_attr_getstack(&attributes, &low, &result.size) == 0) result.low = static_cast<char*>(low);
    pthread_attr_destroy(&attributes);
    rlimit limit{};
    const bool mainThread = ::getpid() == static_cast<pid_t>(::syscall(SYS_gettid));
    if (result.low != nullptr && mainThread && ::getrlimit(RLIMIT_STACK, &limit) == 0 &&
        limit.rlim_cur == RLIM_INFINITY && result.size > kUnboundedStackBudget) {
        result.low += result.size - kUnboundedStackBudget;  // the budget, below the stack's top
        result.size = kUnboundedStackBudget;
    }
    return result;
}

// Limits saved by EnterStackExtension, restored by LeaveStackExtension.
thread_local std::vector<void*> savedStackLimits;

constexpr std::uint8_t kLevelError = 1;
constexpr std::uint8_t kLevelInfo = 4;

}  // namespace

void StopAtEntry(const char* entry) {
    std::fprintf(stderr,
                 "quon-host: the library called the host entry '%s', which this host does not serve\n",
                 entry);
    std::fflush(stderr);
    std::abort();
}

zul::DiagnosticChannel& HostChannel() {
    using zul::zulStdString::tString;
    static zul::DiagnosticChannel channel(tString("quon-host"), tString("Host"), kLevelError, kLevelError);
    return channel;
}

EvaluatorScope::EvaluatorScope(std::size_t room)
    : channel_(zul::zulStdString::tString("Evaluator"), zul::zulStdString::tString("Evaluator"), kLevelInfo,
               kLevelError, &HostChannel(), kLevelError),
      previousEvaluator_(quonHostThreadWords.currentEvaluator),
      previousStackLimit_(quonHostThreadWords.stackLimit) {
    auto& stack = evaluator_.stack;
    stack.begin = static_cast<CellSlot*>(::operator new(kInitialStackCells * sizeof(CellSlot)));
    stack.capacity = stack.begin + kInitialStackCells;
#if defined(QUON_HOST_FAULTS)
    if (Planted(Fault::kStackNotFromNew)) {
        ::operator delete(stack.begin);
        stack.begin = StaticStackStorage(4096);
        stack.capacity = stack.begin + 4096;
    }
#endif
    // The bottom slot is the outermost frame's own cell, so frames always lie inside the stack.
    *stack.begin = CellSlot{};
    stack.end = stack.begin + 1;
    evaluator_.frameBase = stack.begin;
    evaluator_.frameLimit = stack.begin;
    evaluator_.frameSizes.push_back(0);
#if defined(QUON_HOST_FAULTS)
    if (Planted(Fault::kNoFrameByte)) evaluator_.frameSizes.clear();
#endif
    evaluator_.modes.push_back(QUON_Evaluator::EvaluatorMode{});
    evaluator_.channel = &channel_;

    // Half of the thread's stack is ordinary room; the rest is handed out by stack extensions.
    const ThreadStack threadStack = CallingThreadStack();
    if (threadStack.low != nullptr) quonHostThreadWords.stackLimit = threadStack.low + threadStack.size / 2;
    char* here = static_cast<char*>(__builtin_frame_address(0));
    if (room != 0 && threadStack.low != nullptr &&
        here - threadStack.low > static_cast<std::ptrdiff_t>(room))
        quonHostThreadWords.stackLimit = here - room;
    quonHostThreadWords.currentEvaluator = &evaluator_;
}

EvaluatorScope::~EvaluatorScope() {
    quonHostThreadWords.currentEvaluator = previousEvaluator_;
    quonHostThreadWords.stackLimit = previousStackLimit_;
#if defined(QUON_HOST_FAULTS)
    if (IsStaticStackStorage(evaluator_.stack.begin)) return;
#endif
    ::operator delete(evaluator_.stack.begin);
}

Evaluator* CurrentEvaluator() {
    return quonHostThreadWords.currentEvaluator;
}

void PrepareCall(std::uint64_t count, std::uint64_t /*flag*/) {
    Evaluator* evaluator = CurrentEvaluator();
    if (evaluator == nullptr) StopAtEntry("prepareCall (no evaluator on this thread)");
    // The new frame's base is its last argument (or the caller's top cell when there is none);
    // its limit is the cell below the first argument. The frame close undoes exactly this.
    CellSlot* newBase = evaluator->stack.end - 1;
    const std::ptrdiff_t distance = newBase - evaluator->frameBase;
    if (distance < 0 || distance > 255 || count > 255) StopAtEntry("prepareCall (frame too large)");
    evaluator->frameSizes.push_back(static_cast<std::uint8_t>(distance));
    evaluator->frameSizes.push_back(static_cast<std::uint8_t>(count));
    evaluator->frameBase = newBase;
    evaluator->frameLimit = newBase - count;
}

void EnterStackExtension() {
    const ThreadStack threadStack = CallingThreadStack();
    char* reserveLimit = threadStack.low != nullptr ? threadStack.low + kStackGuardBytes : nullptr;
    // The reserve is handed out once: a recursion that reaches the limit again would overflow the
    // thread's stack, so it ends with an error instead.
    if (reserveLimit == nullptr || static_cast<char*>(quonHostThreadWords.stackLimit) <= reserveLimit)
        throw zul::Exception("Stack overflow! No stack reserve is left for a deeper recursion!");
    savedStackLimits.push_back(quonHostThreadWords.stackLimit);
    quonHostThreadWords.stackLimit = reserveLimit;
}

StackExtensionScope::StackExtensionScope()
    : limit(quonHostThreadWords.stackLimit), depth(savedStackLimits.size()) {}

StackExtensionScope::~StackExtensionScope() {
    if (savedStackLimits.size() > depth) savedStackLimits.resize(depth);
#if defined(QUON_HOST_FAULTS)
    if (Planted(Fault::kStackLimitNotRestored)) return;
#endif
    quonHostThreadWords.stackLimit = limit;
}

FrameCheckpoint::FrameCheckpoint(Evaluator* evaluator)
    : evaluator(evaluator),
      depth(evaluator != nullptr ? evaluator->Depth() : 0),
      base(evaluator != nullptr ? evaluator->frameBase - evaluator->stack.begin : 0),
      limit(evaluator != nullptr ? evaluator->frameLimit - evaluator->stack.begin : 0),
      frameBytes(evaluator != nullptr ? evaluator->frameSizes.size() : 0) {}

void FrameCheckpoint::Restore() const {
    if (evaluator == nullptr) return;
    Evaluator& e = *evaluator;
    while (e.Depth() > depth) {
        reinterpret_cast<QUON_Evaluator::EvCell*>(e.stack.end - 1)->ReleaseData();
        e.PopSlot();
    }
    e.frameSizes.resize(frameBytes);
    e.frameBase = e.stack.begin + base;
    e.frameLimit = e.stack.begin + limit;
}

void LeaveStackExtension() {
    if (savedStackLimits.empty()) StopAtEntry("leaveStackExtension (without enterStackExtension)");
    quonHostThreadWords.stackLimit = savedStackLimits.back();
    savedStackLimits.pop_back();
}

}  // namespace quon_host
