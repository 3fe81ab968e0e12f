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

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "memory/MakeSharedProtected.h"
#include "memory/PoolPoisoning.h"
#include "platform/Invariant.h"

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

class MemoryPoolZoneManager {
public:
    virtual ~MemoryPoolZoneManager() = default;

    MemoryPoolZoneManager(const MemoryPoolZoneManager&) = delete;
    MemoryPoolZoneManager& operator=(const MemoryPoolZoneManager&) = delete;

protected:
    explicit MemoryPoolZoneManager(std::uint64_t blockSize) : blockSize(blockSize) {}

    std::uint64_t blockSize;                 // bytes per block, a multiple of 8
    std::uint64_t totalBlocks = 0;           // blocks of all zones ever created
    std::vector<Zone*> zones;                // every zone, owned
    std::vector<void*> returnedChains;       // heads of chains handed back by dead pools; a stack
    std::vector<BlockRange> returnedRanges;  // untouched blocks handed back by dead pools; a stack
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
        const std::vector<std::uint64_t> home = CountBlocksAtHome();
        for (std::size_t i = 0; i < zones.size(); ++i) {
            Zone* zone = zones[i];
            QUON_INVARIANT(home[i] <= zone->blockCount, "a block is stored twice (freed twice?)");
            if (home[i] == zone->blockCount) {
                UnpoisonBlocks(zone->memory, zone->blockSize * zone->blockCount);
                ::operator delete(zone->memory);
            } else {
                KeepZoneMemory(zone->memory);
            }
            delete zone;
        }
        zones.clear();
        returnedChains.clear();
        returnedRanges.clear();
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

    // Pops the most recently returned untouched range; false if none is stored.
    bool TakeRange(BlockRange& range) {
        std::lock_guard<std::mutex> guard(mutex);
        if (returnedRanges.empty()) return false;
        range = returnedRanges.back();
        returnedRanges.pop_back();
        return true;
    }

    // Creates a zone of kBlocksPerZone blocks; all of it is one untouched range, poisoned.
    BlockRange CreateZone() {
        auto zone = std::make_unique<Zone>(Zone{BlockSize, kBlocksPerZone, nullptr});
        std::unique_ptr<void, void (*)(void*)> memory(::operator new(BlockSize* kBlocksPerZone),
                                                      [](void* p) { ::operator delete(p); });
        auto* bytes = static_cast<unsigned char*>(memory.get());
        PoisonBlocks(bytes, BlockSize * kBlocksPerZone);
        {
            std::lock_guard<std::mutex> guard(mutex);
            zones.reserve(zones.size() + 1);  // may throw; nothing has changed yet
            zone->memory = memory.release();
            zones.push_back(zone.release());
            totalBlocks += kBlocksPerZone;
            lastZoneSize = kBlocksPerZone;
        }
        return BlockRange{bytes, bytes + BlockSize * kBlocksPerZone};
    }

    // Stores a null-terminated chain for later pools.
    void ReturnChain(void* first) {
        std::lock_guard<std::mutex> guard(mutex);
        returnedChains.push_back(first);
    }

    // Stores a non-empty untouched range for later pools.
    void ReturnRange(BlockRange range) {
        std::lock_guard<std::mutex> guard(mutex);
        returnedRanges.push_back(range);
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
    std::size_t GetReturnedRangeCount() {
        std::lock_guard<std::mutex> guard(mutex);
        return returnedRanges.size();
    }
    std::uint64_t GetLastZoneSize() {
        std::lock_guard<std::mutex> guard(mutex);
        return lastZoneSize;
    }

protected:
    UntypedMemoryPoolZoneManager() : MemoryPoolZoneManager(BlockSize) {}

private:
    // Per zone (in zones' order), the blocks on stored chains and in stored ranges. Blocks of
    // other modules' zones on a chain are not counted anywhere.
    std::vector<std::uint64_t> CountBlocksAtHome() const {
        std::vector<std::size_t> byAddress(zones.size());
        for (std::size_t i = 0; i < byAddress.size(); ++i) byAddress[i] = i;
        std::sort(byAddress.begin(), byAddress.end(),
                  [this](std::size_t a, std::size_t b) { return zones[a]->memory < zones[b]->memory; });
        const std::uint64_t zoneBytes = BlockSize * kBlocksPerZone;
        auto zoneOf = [&](const void* block) -> const std::size_t* {
            auto after =
                std::upper_bound(byAddress.begin(), byAddress.end(), block,
                                 [this](const void* b, std::size_t i) { return b < zones[i]->memory; });
            if (after == byAddress.begin()) return nullptr;
            const auto* memory = static_cast<const unsigned char*>(zones[*(after - 1)]->memory);
            return static_cast<const unsigned char*>(block) < memory + zoneBytes ? &*(after - 1) : nullptr;
        };
        std::vector<std::uint64_t> home(zones.size(), 0);
        for (void* chain : returnedChains)
            for (void* block = chain; block != nullptr; block = ReadLink(block))
                if (const std::size_t* zone = zoneOf(block)) ++home[*zone];
        for (const BlockRange& range : returnedRanges)
            if (const std::size_t* zone = zoneOf(range.begin))
                home[*zone] += static_cast<std::uint64_t>(static_cast<unsigned char*>(range.end) -
                                                          static_cast<unsigned char*>(range.begin)) /
                               BlockSize;
        return home;
    }

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
