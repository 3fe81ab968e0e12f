#include "host/HostFaults.h"

#if defined(QUON_HOST_FAULTS)

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
};

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

}  // namespace quon_host

#endif
