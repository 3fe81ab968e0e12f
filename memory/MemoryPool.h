// The named, registered part every pool shares.
#pragma once

#include <cstdint>
#include <string>

#include "memory/MemoryPoolInfo.h"

namespace zmm {

class MemoryPool {
public:
    // Registers the pool under `name` (or the first free "name - COPY_k").
    explicit MemoryPool(std::string name);
    // Unregisters; the derived pool has already described itself.
    virtual ~MemoryPool();
    virtual MemoryPoolInfo* GetInfo() = 0;

    MemoryPool(const MemoryPool&) = delete;
    MemoryPool& operator=(const MemoryPool&) = delete;

    // Renders the info as one statistics line, once; later calls return the same text.
    const std::string& Describe();

    const std::string& GetName() const { return name; }
    const std::string& GetDescription() const { return description; }

protected:
    // Fills a pool's info record: the given fields, the pool's name and the calling thread.
    void FillInfo(MemoryPoolInfo& info, std::uint64_t blockSize, const std::uint64_t* counters,
                  MemoryPoolZoneManager* zoneManager, std::uint32_t options) const;

private:
    std::string name;         // the name asked for at construction
    bool described = false;   // set by the first Describe
    std::string description;  // filled by Describe
};

// One statistics line: name, thread, block size in bytes and words, four counters.
std::string DescribePoolInfo(const MemoryPoolInfo& info);

}  // namespace zmm
