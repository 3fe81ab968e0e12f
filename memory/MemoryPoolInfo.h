// The statistics record a pool hands out through GetInfo.
#pragma once

#include <cstdint>
#include <string>

namespace zmm {

class MemoryPoolZoneManager;

// Option words copied into a pool's info record.
inline constexpr std::uint32_t kPoolOptionsUnlocked = 2048;  // every per-thread pool
inline constexpr std::uint32_t kPoolOptionsLocked = 3088;    // the string pool, shared by all threads
inline constexpr std::uint32_t kPoolOptionLockBit = 1024;    // set when Allocate/Free take a mutex

struct MemoryPoolInfo {
    std::uint64_t blockSize = 0;                   // bytes per block; 0 for the universal pool
    std::string name;                              // copy of the pool's name
    const std::uint64_t* counters = nullptr;       // the pool's three usage counters, or null
    std::uint32_t threadId = 0;                    // thread that created the pool
    MemoryPoolZoneManager* zoneManager = nullptr;  // manager the pool draws from, or null
    std::uint32_t options = kPoolOptionsUnlocked;  // option word
};

}  // namespace zmm
