#include "host/HostFaults.h"

#if defined(QUON_HOST_FAULTS)

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quon_host {

namespace {

struct Named {
    const char* name;
    Fault fault;
};

constexpr Named kFaults[] = {
    {"argument-slot", Fault::kArgumentSlot},
    {"no-image-cell", Fault::kNoImageCell},
    {"setint-32", Fault::kSetInt32},
    {"setfloat-32", Fault::kSetFloat32},
    {"setstring-cstring", Fault::kSetStringCString},
    {"empty-array-null", Fault::kEmptyArrayNull},
    {"stack-limit-kept", Fault::kStackLimitKept},
    {"stack-limit-not-restored", Fault::kStackLimitNotRestored},
    {"frame-count", Fault::kFrameCount},
    {"other-evaluator", Fault::kOtherEvaluator},
    {"custom-never-destroyed", Fault::kCustomNeverDestroyed},
    {"custom-destroyed-twice", Fault::kCustomDestroyedTwice},
    {"record-names-copied", Fault::kRecordNamesCopied},
    {"exceptions-swallowed", Fault::kExceptionsSwallowed},
    {"frame-on-value-stack", Fault::kFrameOnValueStack},
    {"no-frame-byte", Fault::kNoFrameByte},
    {"stack-not-from-new", Fault::kStackNotFromNew},
};

// Big enough that no case of the catalogue fills it: the release library never frees it.
constexpr std::size_t kStaticStackCells = 4096;
constexpr std::size_t kStaticStacks = 8;
alignas(16) QUON_Evaluator::CellSlot staticStacks[kStaticStacks][kStaticStackCells];
std::atomic<std::size_t> nextStaticStack{0};

// The fault QUON_HOST_FAULT names; an unknown name stops the process, so a test cannot pass
// with a fault it did not get.
Fault Chosen() {
    const char* name = std::getenv("QUON_HOST_FAULT");
    if (name == nullptr || *name == '\0') return Fault::kNone;
    for (const Named& named : kFaults)
        if (std::strcmp(named.name, name) == 0) return named.fault;
    std::fprintf(stderr, "quon-host: unknown QUON_HOST_FAULT '%s'\n", name);
    std::exit(2);
}

}  // namespace

bool Planted(Fault fault) {
    static const Fault chosen = Chosen();
    return fault == chosen;
}

QUON_Evaluator::CellSlot* StaticStackStorage(std::size_t cells) {
    if (cells > kStaticStackCells) std::abort();
    return staticStacks[nextStaticStack.fetch_add(1) % kStaticStacks];
}

bool IsStaticStackStorage(const void* storage) {
    const auto* slot = static_cast<const QUON_Evaluator::CellSlot*>(storage);
    return slot >= &staticStacks[0][0] && slot < &staticStacks[0][0] + kStaticStacks * kStaticStackCells;
}

}  // namespace quon_host

#endif
