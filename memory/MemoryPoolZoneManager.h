// Zone managers: the process-wide owners of all pool memory, one per block size.
//
//   zone:   [block 0][block 1] ... [block n-1]       one heap allocation, blockSize * n bytes
//   chain:  block -> block -> ... -> null            the link is a free block's first 8 bytes
//
// A pool that runs dry takes a chain that a dead pool handed back (at most one zone's worth;
// the rest of a longer chain is pushed back), or else asks for a new zone, whose blocks come
// linked in address order. Dying pools hand their whole free list back as one chain. Zone
// memory returns to the heap only when the manager dies, at unload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "memory/MakeSharedProtected.h"
#include "memory/PoolPoisoning.h"

namespace zmm {

// One zone, recorded when it is created.
struct Zone {
    std::uint64_t blockSize;   // bytes per block
    std::uint64_t blockCount;  // blocks in this zone
    void* memory;              // blockSize * blockCount bytes from the general heap, owned
};

class MemoryPoolZoneManager {
public:
    virtual ~MemoryPoolZoneManager() = default;

    MemoryPoolZoneManager(const MemoryPoolZoneManager&) = delete;
    MemoryPoolZoneManager& operator=(const MemoryPoolZoneManager&) = delete;

protected:
    explicit MemoryPoolZoneManager(std::uint64_t blockSize) : blockSize(blockSize) {}

    std::uint64_t blockSize;            // bytes per block, a multiple of 8
    std::uint64_t totalBlocks = 0;      // blocks of all zones ever created
    std::vector<Zone*> zones;           // every zone, owned
    std::vector<void*> returnedChains;  // heads of chains handed back by dead pools; a stack
};

template <std::size_t BlockSize, std::size_t BlocksPerZone, int F1, int F2, int F3>
class UntypedMemoryPoolZoneManager
    : public MemoryPoolZoneManager,
      public std::enable_shared_from_this<
          UntypedMemoryPoolZoneManager<BlockSize, BlocksPerZone, F1, F2, F3>> {
    static_assert(BlockSize % 8 == 0 && BlockSize >= 8, "blocks hold an aligned link");

public:
    static constexpr std::size_t kBlockSize = BlockSize;
    static constexpr std::uint64_t kBlocksPerZone = BlocksPerZone != 0 ? BlocksPerZone : 65536 / BlockSize;

    ~UntypedMemoryPoolZoneManager() override {
        std::lock_guard<std::mutex> guard(mutex);
        for (Zone* zone : zones) {
            UnpoisonBlocks(zone->memory, zone->blockSize * zone->blockCount);
            ::operator delete(zone->memory);
            delete zone;
        }
        zones.clear();
        returnedChains.clear();
    }

    // Pops the most recently returned chain into first..last, cutting it after maxBlocks blocks
    // (0: no limit) and pushing the remainder back. Returns the blocks taken, 0 if none stored.
    // The chain is walked without the lock: once popped it belongs to the caller alone.
    std::size_t TakeChain(void*& first, void*& last, std::size_t maxBlocks) {
        {
            std::lock_guard<std::mutex> guard(mutex);
            if (returnedChains.empty()) return 0;
            first = returnedChains.back();
            returnedChains.pop_back();
        }
        void* block = first;
        std::size_t count = 1;
        void* next = ReadLink(block);
        while (next != nullptr && count != maxBlocks) {
            block = next;
            next = ReadLink(block);
            ++count;
        }
        if (next != nullptr) {
            ReturnChain(next);
            WriteLink(block, nullptr);
        }
        last = block;
        return count;
    }

    // Creates a zone of kBlocksPerZone blocks linked in address order; first..last is the chain.
    void CreateZone(void*& first, void*& last) {
        auto zone = std::make_unique<Zone>(Zone{BlockSize, kBlocksPerZone, nullptr});
        std::unique_ptr<void, void (*)(void*)> memory(::operator new(BlockSize* kBlocksPerZone),
                                                      [](void* p) { ::operator delete(p); });
        auto* bytes = static_cast<unsigned char*>(memory.get());
        for (std::uint64_t i = 0; i + 1 < kBlocksPerZone; ++i)
            *reinterpret_cast<void**>(bytes + i * BlockSize) = bytes + (i + 1) * BlockSize;
        *reinterpret_cast<void**>(bytes + (kBlocksPerZone - 1) * BlockSize) = nullptr;
        PoisonBlocks(bytes, BlockSize * kBlocksPerZone);
        {
            std::lock_guard<std::mutex> guard(mutex);
            zones.reserve(zones.size() + 1);  // may throw; nothing has changed yet
            zone->memory = memory.release();
            zones.push_back(zone.release());
            totalBlocks += kBlocksPerZone;
            lastZoneSize = kBlocksPerZone;
        }
        first = bytes;
        last = bytes + (kBlocksPerZone - 1) * BlockSize;
    }

    // Stores a null-terminated chain for later pools.
    void ReturnChain(void* first) {
        std::lock_guard<std::mutex> guard(mutex);
        returnedChains.push_back(first);
    }

    // Observers, mostly for tests and diagnostics.
    std::uint64_t GetBlockSize() const { return blockSize; }
    std::uint64_t GetBlocksPerZone() const { return blocksPerZone; }
    std::uint64_t GetTotalBlocks() {
        std::lock_guard<std::mutex> guard(mutex);
        return totalBlocks;
    }
    std::size_t GetZoneCount() {
        std::lock_guard<std::mutex> guard(mutex);
        return zones.size();
    }
    std::size_t GetReturnedChainCount() {
        std::lock_guard<std::mutex> guard(mutex);
        return returnedChains.size();
    }
    std::uint64_t GetLastZoneSize() {
        std::lock_guard<std::mutex> guard(mutex);
        return lastZoneSize;
    }

protected:
    UntypedMemoryPoolZoneManager() : MemoryPoolZoneManager(BlockSize) {}

private:
    std::uint64_t blocksPerZone = kBlocksPerZone;  // blocks in each new zone
    std::uint64_t lastZoneSize = 0;                // block count of the most recent zone
    std::mutex mutex;  // guards totalBlocks, zones, returnedChains, lastZoneSize
};

// The process-wide manager of one instantiation, made on first use.
template <std::size_t BlockSize, std::size_t BlocksPerZone, int F1, int F2, int F3>
std::shared_ptr<UntypedMemoryPoolZoneManager<BlockSize, BlocksPerZone, F1, F2, F3>> GetZoneManager() {
    using Manager = UntypedMemoryPoolZoneManager<BlockSize, BlocksPerZone, F1, F2, F3>;
    static const std::shared_ptr<Manager> instance = zul::make_shared_protected<Manager>();
    return instance;
}

}  // namespace zmm
