#include "memory/MemoryPool.h"

#include <iomanip>
#include <sstream>
#include <utility>

#include "memory/MemoryPoolRegistry.h"
#include "platform/Platform.h"

namespace zmm {

MemoryPool::MemoryPool(std::string name) : name(std::move(name)) {
    MemoryPoolRegistry::Register(this);
}

MemoryPool::~MemoryPool() {
    MemoryPoolRegistry::Unregister(this);
}

const std::string& MemoryPool::Describe() {
    if (!described) {
        described = true;
        description = DescribePoolInfo(*GetInfo());
    }
    return description;
}

void MemoryPool::FillInfo(MemoryPoolInfo& info, std::uint64_t blockSize, const std::uint64_t* counters,
                          MemoryPoolZoneManager* zoneManager, std::uint32_t options) const {
    info.blockSize = blockSize;
    info.name = name;
    info.counters = counters;
    info.threadId = zul::platform::CurrentThreadId();
    info.zoneManager = zoneManager;
    info.options = options;
}

std::string DescribePoolInfo(const MemoryPoolInfo& info) {
    const std::uint64_t* c = info.counters;
    const std::uint64_t used = c != nullptr ? c[0] : 0;
    const std::uint64_t second = c != nullptr ? c[1] : 0;
    const std::uint64_t third = c != nullptr ? c[2] : 0;
    std::ostringstream out;
    out << std::left << std::setw(36) << info.name << std::right;
    out << std::setw(14) << (" #" + std::to_string(info.threadId) + " ");
    out << std::setw(5) << info.blockSize << "B " << std::setw(5) << info.blockSize / 8 << "W ";
    for (std::uint64_t value : {used, second - third, second, third}) out << std::setw(12) << value << ' ';
    return out.str();
}

}  // namespace zmm
