#include "memory/MemoryPoolZoneManager.h"

#include <algorithm>

#include "memory/PoolPoisoning.h"
#include "platform/Invariant.h"

namespace zmm {

std::size_t MemoryPoolZoneManager::TakeChain(ZoneManagerTail& tail, void*& first, void*& last,
                                             std::size_t maxBlocks) {
    {
        std::lock_guard<std::mutex> guard(tail.mutex);
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
        ReturnChain(tail, next);
        WriteLink(block, nullptr);
    }
    last = block;
    return count;
}

bool MemoryPoolZoneManager::TakeRange(ZoneManagerTail& tail, BlockRange& range) {
    std::lock_guard<std::mutex> guard(tail.mutex);
    if (returnedRanges.empty()) return false;
    range = returnedRanges.back();
    returnedRanges.pop_back();
    return true;
}

BlockRange MemoryPoolZoneManager::CreateZone(ZoneManagerTail& tail) {
    const std::uint64_t blocks = tail.blocksPerZone;
    const std::uint64_t bytes = blockSize * blocks;
    auto zone = std::make_unique<Zone>(Zone{blockSize, blocks, nullptr});
    std::unique_ptr<void, void (*)(void*)> memory(::operator new(bytes), [](void* p) { ::operator delete(p); });
    auto* first = static_cast<unsigned char*>(memory.get());
    PoisonBlocks(first, bytes);
    {
        std::lock_guard<std::mutex> guard(tail.mutex);
        zones.reserve(zones.size() + 1);  // may throw; nothing has changed yet
        zone->memory = memory.release();
        zones.push_back(zone.release());
        totalBlocks += blocks;
        tail.lastZoneSize = blocks;
    }
    return BlockRange{first, first + bytes};
}

void MemoryPoolZoneManager::ReturnChain(ZoneManagerTail& tail, void* first) {
    std::lock_guard<std::mutex> guard(tail.mutex);
    returnedChains.push_back(first);
}

void MemoryPoolZoneManager::ReturnRange(ZoneManagerTail& tail, BlockRange range) {
    std::lock_guard<std::mutex> guard(tail.mutex);
    returnedRanges.push_back(range);
}

void MemoryPoolZoneManager::ReleaseZones(ZoneManagerTail& tail) {
    std::lock_guard<std::mutex> guard(tail.mutex);
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

std::vector<std::uint64_t> MemoryPoolZoneManager::CountBlocksAtHome() const {
    std::vector<std::size_t> byAddress(zones.size());
    for (std::size_t i = 0; i < byAddress.size(); ++i) byAddress[i] = i;
    std::sort(byAddress.begin(), byAddress.end(),
              [this](std::size_t a, std::size_t b) { return zones[a]->memory < zones[b]->memory; });
    auto zoneOf = [&](const void* block) -> const std::size_t* {
        auto after = std::upper_bound(byAddress.begin(), byAddress.end(), block,
                                      [this](const void* b, std::size_t i) { return b < zones[i]->memory; });
        if (after == byAddress.begin()) return nullptr;
        const Zone* zone = zones[*(after - 1)];
        const auto* memory = static_cast<const unsigned char*>(zone->memory);
        return static_cast<const unsigned char*>(block) < memory + zone->blockSize * zone->blockCount
                   ? &*(after - 1)
                   : nullptr;
    };
    std::vector<std::uint64_t> home(zones.size(), 0);
    for (void* chain : returnedChains)
        for (void* block = chain; block != nullptr; block = ReadLink(block))
            if (const std::size_t* zone = zoneOf(block)) ++home[*zone];
    for (const BlockRange& range : returnedRanges)
        if (const std::size_t* zone = zoneOf(range.begin))
            home[*zone] += static_cast<std::uint64_t>(static_cast<unsigned char*>(range.end) -
                                                      static_cast<unsigned char*>(range.begin)) /
                           blockSize;
    return home;
}

}  // namespace zmm
