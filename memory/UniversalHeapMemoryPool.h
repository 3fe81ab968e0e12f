// The universal pool: a ladder of 23 general block sizes (powers of two from 8 to 16384 and
// 1.5 times each from 12 to 12288), one sub-pool per size, behind one registered name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "memory/HeapMemoryPool.h"
#include "memory/MemoryPool.h"
#include "memory/MemoryPoolInfo.h"

namespace zmm {

template <int N>
class MemoryPoolWithUsageCounter;

// A pool that reports three usage counters of its own and no block size.
template <>
class MemoryPoolWithUsageCounter<0> : public MemoryPool {
public:
    explicit MemoryPoolWithUsageCounter(std::string name);
    ~MemoryPoolWithUsageCounter() override { Describe(); }
    MemoryPoolInfo* GetInfo() override { return &info; }

private:
    std::uint64_t counters[3] = {};  // usage counters; reported, never changed here
    MemoryPoolInfo info;             // block size 0, pointing at the counters
};

// The sub-pools, one member per size, constructed in ascending order of size.
template <std::size_t... Sizes>
class UniversalSubPools;

template <>
class UniversalSubPools<> {
public:
    explicit UniversalSubPools(const std::string&) {}
};

template <std::size_t Size, std::size_t... Rest>
class UniversalSubPools<Size, Rest...> {
public:
    using Pool = HeapMemoryPool<long, Size, 0, kPoolOptionsUnlocked>;

    explicit UniversalSubPools(const std::string& ownerName)
        : pool("UMPB_" + ownerName + "_" + std::to_string(Size)), rest(ownerName) {}

    template <std::size_t S>
    auto& Get() {
        if constexpr (S == Size)
            return pool;
        else
            return rest.template Get<S>();
    }

private:
    Pool pool;                        // the sub-pool of this size
    UniversalSubPools<Rest...> rest;  // the larger sizes
};

using UniversalSubPoolLadder =
    UniversalSubPools<8, 12, 16, 24, 32, 48, 64, 96, 128, 192, 256, 384, 512, 768, 1024, 1536, 2048, 3072,
                      4096, 6144, 8192, 12288, 16384>;

class UniversalHeapMemoryPoolBase : public MemoryPoolWithUsageCounter<0> {
public:
    // Registers itself under `name`, then its sub-pools under "UMPB_" + name + "_" + size.
    explicit UniversalHeapMemoryPoolBase(std::string name);
    ~UniversalHeapMemoryPoolBase() override { Describe(); }
    MemoryPoolInfo* GetInfo() override { return &ownInfo; }

    // The sub-pool of exactly size S (one of the ladder's sizes).
    template <std::size_t S>
    auto& GetSubPool() {
        return subPools.Get<S>();
    }

private:
    MemoryPoolInfo ownInfo;           // block size 0, no counters, no zone manager
    UniversalSubPoolLadder subPools;  // the 23 sub-pools
};

template <class T, std::size_t Granularity>
class UniversalHeapMemoryPool : public UniversalHeapMemoryPoolBase {
public:
    using UniversalHeapMemoryPoolBase::UniversalHeapMemoryPoolBase;
};

}  // namespace zmm
