// Zone managers: the process-wide owners of all pool memory, one per block size.
//
//   zone:   [block 0][block 1] ... [block n-1]       one heap allocation, blockSize * n bytes
//   chain:  block -> block -> ... -> null            the link is a free block's first 8 bytes
//
//   range:  [begin ............ end)                  blocks never handed out, not linked yet
//
// A pool that runs dry takes a chain that a dead pool handed back (at most one zone's worth;
// the rest of a longer chain is pushed back), else a range a dead pool never reached, else a
// new zone. A new zone is one range: its blocks are handed out in address order and linked
// only once they are freed, so a zone costs no page until its blocks are used. Dying pools
// hand back their free list as one chain and their untouched range as one range.
//
// Zone memory returns to the heap only when the manager dies, at unload, and only for zones
// whose every block came home: a block missing from the stored chains and ranges may still be
// in use, or sit on another module's free list (string bodies and carrier cells cross between
// modules), so its zone is kept for the rest of the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "memory/MakeSharedProtected.h"

namespace zmm {

// A run of never-linked blocks: [begin, end).
struct BlockRange {
    void* begin;
    void* end;
};

// One zone, recorded when it is created.
struct Zone {
    std::uint64_t blockSize;   // bytes per block
    std::uint64_t blockCount;  // blocks in this zone
    void* memory;              // blockSize * blockCount bytes from the general heap, owned
};

// What every manager keeps after its weak self-reference. It is a plain record so that the
// shared code below, compiled once for all block sizes, can reach it; it stays behind the weak
// reference to keep the manager's field order.
struct ZoneManagerTail {
    explicit ZoneManagerTail(std::uint64_t blocksPerZone) : blocksPerZone(blocksPerZone) {}

    std::uint64_t blocksPerZone;     // blocks in each new zone
    std::uint64_t lastZoneSize = 0;  // block count of the most recent zone
    std::mutex mutex;                // guards totalBlocks, zones, the stored chains and ranges, lastZoneSize
};

// The part of a manager that does not depend on its block size, and all of its work. Each
// operation takes the manager's own tail; the template below passes it.
class MemoryPoolZoneManager {
public:
    virtual ~MemoryPoolZoneManager() = default;

    MemoryPoolZoneManager(const MemoryPoolZoneManager&) = delete;
    MemoryPoolZoneManager& operator=(const MemoryPoolZoneManager&) = delete;

    // Pops the most recently returned chain into first..last, cutting it after maxBlocks blocks
    // (0: no limit) and pushing the remainder back. Returns the blocks taken, 0 if none stored.
    // The chain is walked without the lock: once popped it belongs to the caller alone.
    std::size_t TakeChain(ZoneManagerTail& tail, void*& first, void*& last, std::size_t maxBlocks);
    // Pops the most recently returned untouched range; false if none is stored.
    bool TakeRange(ZoneManagerTail& tail, BlockRange& range);
    // Creates a zone of tail.blocksPerZone blocks; all of it is one untouched range, poisoned.
    BlockRange CreateZone(ZoneManagerTail& tail);
    // Stores a null-terminated chain for later pools.
    void ReturnChain(ZoneManagerTail& tail, void* first);
    // Stores a non-empty untouched range for later pools.
    void ReturnRange(ZoneManagerTail& tail, BlockRange range);

    std::uint64_t GetBlockSize() const { return blockSize; }

protected:
    explicit MemoryPoolZoneManager(std::uint64_t blockSize) : blockSize(blockSize) {}

    // The destructor's work: frees every zone whose blocks all came home, keeps the others.
    void ReleaseZones(ZoneManagerTail& tail);

    std::uint64_t blockSize;                 // bytes per block, a multiple of 8
    std::uint64_t totalBlocks = 0;           // blocks of all zones ever created
    std::vector<Zone*> zones;                // every zone, owned
    std::vector<void*> returnedChains;       // heads of chains handed back by dead pools; a stack
    std::vector<BlockRange> returnedRanges;  // untouched blocks handed back by dead pools; a stack

private:
    // Per zone (in zones' order), the blocks on stored chains and in stored ranges. Blocks of
    // other modules' zones on a chain are not counted anywhere. Called with the lock held.
    std::vector<std::uint64_t> CountBlocksAtHome() const;
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

    ~UntypedMemoryPoolZoneManager() override { ReleaseZones(tail); }

    std::size_t TakeChain(void*& first, void*& last, std::size_t maxBlocks) {
        return MemoryPoolZoneManager::TakeChain(tail, first, last, maxBlocks);
    }
    bool TakeRange(BlockRange& range) { return MemoryPoolZoneManager::TakeRange(tail, range); }
    BlockRange CreateZone() { return MemoryPoolZoneManager::CreateZone(tail); }
    void ReturnChain(void* first) { MemoryPoolZoneManager::ReturnChain(tail, first); }
    void ReturnRange(BlockRange range) { MemoryPoolZoneManager::ReturnRange(tail, range); }

    // The tail, for the allocators' shared slow paths.
    ZoneManagerTail& GetTail() { return tail; }

    // Observers, mostly for tests and diagnostics.
    std::uint64_t GetBlocksPerZone() const { return tail.blocksPerZone; }
    std::uint64_t GetTotalBlocks() {
        std::lock_guard<std::mutex> guard(tail.mutex);
        return totalBlocks;
    }
    std::size_t GetZoneCount() {
        std::lock_guard<std::mutex> guard(tail.mutex);
        return zones.size();
    }
    std::size_t GetReturnedChainCount() {
        std::lock_guard<std::mutex> guard(tail.mutex);
        return returnedChains.size();
    }
    std::size_t GetReturnedRangeCount() {
        std::lock_guard<std::mutex> guard(tail.mutex);
        return returnedRanges.size();
    }
    std::uint64_t GetLastZoneSize() {
        std::lock_guard<std::mutex> guard(tail.mutex);
        return tail.lastZoneSize;
    }

protected:
    UntypedMemoryPoolZoneManager() : MemoryPoolZoneManager(BlockSize), tail(kBlocksPerZone) {}

private:
    ZoneManagerTail tail;  // blocks per zone, last zone size, the mutex
};

// The process-wide manager of one instantiation, made on first use.
template <std::size_t BlockSize, std::size_t BlocksPerZone, int F1, int F2, int F3>
std::shared_ptr<UntypedMemoryPoolZoneManager<BlockSize, BlocksPerZone, F1, F2, F3>> GetZoneManager() {
    using Manager = UntypedMemoryPoolZoneManager<BlockSize, BlocksPerZone, F1, F2, F3>;
    static const std::shared_ptr<Manager> instance = zul::make_shared_protected<Manager>();
    return instance;
}

}  // namespace zmm
