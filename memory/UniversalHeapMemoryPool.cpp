#include "memory/UniversalHeapMemoryPool.h"

#include <utility>

#include "platform/Platform.h"

namespace zmm {

MemoryPoolWithUsageCounter<0>::MemoryPoolWithUsageCounter(std::string name) : MemoryPool(std::move(name)) {
    info.blockSize = 0;
    info.name = GetName();
    info.counters = counters;
    info.threadId = zul::platform::CurrentThreadId();
    info.options = kPoolOptionsUnlocked;
}

UniversalHeapMemoryPoolBase::UniversalHeapMemoryPoolBase(std::string name)
    : MemoryPoolWithUsageCounter<0>(std::move(name)), subPools(GetName()) {
    ownInfo.blockSize = 0;
    ownInfo.name = GetName();
    ownInfo.threadId = zul::platform::CurrentThreadId();
    ownInfo.options = kPoolOptionsUnlocked;
}

}  // namespace zmm
