#include "memory/UniversalHeapMemoryPool.h"

#include <utility>

namespace zmm {

MemoryPoolWithUsageCounter<0>::MemoryPoolWithUsageCounter(std::string name) : MemoryPool(std::move(name)) {
    FillInfo(info, 0, counters, nullptr, kPoolOptionsUnlocked);
}

UniversalHeapMemoryPoolBase::UniversalHeapMemoryPoolBase(std::string name)
    : MemoryPoolWithUsageCounter<0>(std::move(name)), subPools(GetName()) {
    FillInfo(ownInfo, 0, nullptr, nullptr, kPoolOptionsUnlocked);
}

}  // namespace zmm
