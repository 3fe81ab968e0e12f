// Fixed-block LIFO pools.
//
//   head -> [link|.....] -> [link|.....] -> ... -> null      the free list, threaded through
//                                                            the free blocks' first 8 bytes
//   untouched [next ......... end)                           blocks of a zone never handed
//                                                            out, so never linked
// Allocate pops the head, Free pushes onto it; blocks are never cleared. An empty list hands
// out the next untouched block, and when none is left refills from the pool's zone manager (a
// returned chain, else a returned range, else a new zone, which arrives as one untouched
// range). The order blocks go out in is that of a zone linked in address order behind the free
// list, but no page of a zone is touched before its blocks are. A dying pool hands its list
// back to the manager as one chain and its untouched blocks as one range.
//
// Per-thread pools take no lock. A pool whose option word carries kPoolOptionLockBit (the
// string pool) serialises Allocate and Free with its own mutex; the zone manager's mutex is
// only ever taken inside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>

#include "memory/MemoryPool.h"
#include "memory/MemoryPoolInfo.h"
#include "memory/MemoryPoolZoneManager.h"
#include "memory/PoolPoisoning.h"
#include "platform/Invariant.h"

namespace zmm {

// Stands in for a mutex in the unlocked pools; costs nothing.
struct NoLock {
    void lock() {}
    void unlock() {}
};

// The free list and the untouched rest of a zone, with the allocator's slow paths: they do not
// depend on the block size, so they are compiled once, out of line, for all pools.
struct FreeList {
    void* head = nullptr;                    // free-list head
    BlockRange untouched{nullptr, nullptr};  // rest of a zone never handed out

    // Called with an empty list (and the pool's lock held): the next untouched block, refilling
    // first when none is left (a refill may install a chain instead).
    void* AllocateUntouched(std::size_t blockSize, MemoryPoolZoneManager& manager, ZoneManagerTail& tail);
    // Hands the whole list to the manager as one chain, the untouched rest as a range.
    void ReturnTo(MemoryPoolZoneManager& manager, ZoneManagerTail& tail);
    // Blocks ready to hand out; walks the list.
    std::size_t CountBlocks(std::size_t blockSize) const;

private:
    // Installs a returned chain as the list, or else a returned or new range as untouched.
    void Refill(MemoryPoolZoneManager& manager, ZoneManagerTail& tail);
};

// The allocating core of a pool. ZoneManager fixes the (rounded) block size.
template <class ZoneManager, bool Locked>
class BlockAllocator {
public:
    static constexpr std::size_t kBlockSize = ZoneManager::kBlockSize;

    explicit BlockAllocator(std::shared_ptr<ZoneManager> manager) : zoneManager(std::move(manager)) {}
    ~BlockAllocator() { ReturnFreeList(); }

    BlockAllocator(const BlockAllocator&) = delete;
    BlockAllocator& operator=(const BlockAllocator&) = delete;

    // One block; never null. Throws std::bad_alloc when a refill finds no memory.
    void* Allocate() {
        std::lock_guard<Mutex> guard(mutex);
        if (void* block = PopHead()) [[likely]]
            return block;
        return list.AllocateUntouched(kBlockSize, *zoneManager, zoneManager->GetTail());
    }

    // The head of the free list when there is one, else null (no refill, no untouched block):
    // the whole fast path, for callers that keep their slow path out of line.
    void* TryAllocate() {
        static_assert(!Locked, "a locked pool has no lock-free fast path");
        return PopHead();
    }

    // Pushes a block (of any pool of the same size) on this free list.
    void Free(void* block) {
        std::lock_guard<Mutex> guard(mutex);
        QUON_INVARIANT(block != nullptr && reinterpret_cast<std::uintptr_t>(block) % 8 == 0,
                       "a pool takes back only blocks it could have handed out");
        QUON_INVARIANT(block != list.head, "a block freed twice in a row");
        WriteLink(block, list.head);
        PoisonBlocks(block, kBlockSize);
        list.head = block;
    }

    // `count` blocks under one lock, in the order Allocate would hand them out, linked through
    // their first words (still poisoned as free blocks are): the first is returned, the last
    // (linking to nothing) stored in `last`. Feeds a thread's cache in front of a locked pool.
    void* AllocateChain(std::size_t count, void*& last) {
        std::lock_guard<Mutex> guard(mutex);
        void* first = nullptr;
        last = nullptr;
        for (std::size_t i = 0; i < count; ++i) {
            void* block = PopHead();
            if (block == nullptr) try {
                    block = list.AllocateUntouched(kBlockSize, *zoneManager, zoneManager->GetTail());
                } catch (...) {
                    if (last != nullptr) {  // the blocks taken so far go back
                        WriteLink(last, list.head);
                        list.head = first;
                    }
                    throw;
                }
            PoisonBlocks(block, kBlockSize);
            if (last == nullptr)
                first = block;
            else
                WriteLink(last, block);
            last = block;
        }
        if (last != nullptr) WriteLink(last, nullptr);
        return first;
    }

    // Pushes a chain of free blocks (linked through their first words, from `first` to `last`)
    // on this free list under one lock; `first` becomes the head.
    void FreeChain(void* first, void* last) {
        std::lock_guard<Mutex> guard(mutex);
        QUON_INVARIANT(first != nullptr && last != nullptr, "a chain of free blocks without both ends");
        WriteLink(last, list.head);
        list.head = first;
    }

    // Hands the whole free list to the zone manager as one chain, the untouched rest as a range.
    void ReturnFreeList() {
        std::lock_guard<Mutex> guard(mutex);
        list.ReturnTo(*zoneManager, zoneManager->GetTail());
    }

    const std::uint64_t* GetCounters() const { return counters; }
    ZoneManager* GetZoneManager() const { return zoneManager.get(); }

    // Blocks ready to hand out (the free list and the untouched ones); walks the list, so for
    // tests and diagnostics only.
    std::size_t CountFreeBlocks() {
        std::lock_guard<Mutex> guard(mutex);
        return list.CountBlocks(kBlockSize);
    }

private:
    using Mutex = std::conditional_t<Locked, std::mutex, NoLock>;

    // The pop: the head block, unpoisoned, or null when the list is empty.
    void* PopHead() {
        void* block = list.head;
        if (block != nullptr) {
            list.head = ReadLink(block);
            UnpoisonBlocks(block, kBlockSize);
        }
        return block;
    }

    std::shared_ptr<ZoneManager> zoneManager;  // keeps the manager alive
    FreeList list;                             // free-list head and untouched blocks
    std::uint64_t counters[3] = {};            // usage counters; reported, never changed here
    [[no_unique_address]] Mutex mutex;         // a real mutex only in locked pools
};

namespace detail {
// Block size of a pool: the explicit size, or sizeof(T) when it is 0. T may be incomplete
// when the size is explicit.
template <class T, std::size_t BlockSize>
struct PoolBlockSize : std::integral_constant<std::size_t, BlockSize> {};
template <class T>
struct PoolBlockSize<T, 0> : std::integral_constant<std::size_t, sizeof(T)> {};
}  // namespace detail

template <class T, std::size_t BlockSize, std::size_t BlocksPerZone, std::uint32_t Options>
class HeapMemoryPool : public MemoryPool {
public:
    static constexpr std::size_t kBlockSize = detail::PoolBlockSize<T, BlockSize>::value;
    static constexpr bool kLocked = (Options & kPoolOptionLockBit) != 0;
    // All pools whose sizes round to the same multiple of 8 share one manager.
    static constexpr std::size_t kZoneBlockSize = (kBlockSize + 7) / 8 * 8;
    using ZoneManager = UntypedMemoryPoolZoneManager<kZoneBlockSize, BlocksPerZone, 1, kLocked, 0>;
    using Allocator = BlockAllocator<ZoneManager, kLocked>;

    explicit HeapMemoryPool(std::string name)
        : MemoryPool(std::move(name)),
          zoneManager(zmm::GetZoneManager<kZoneBlockSize, BlocksPerZone, 1, kLocked, 0>()),
          allocator(zoneManager) {
        FillInfo(info, kBlockSize, allocator.GetCounters(), zoneManager.get(), Options);
    }

    // Describes itself; then the allocator hands its free list back and the manager is dropped.
    ~HeapMemoryPool() override { Describe(); }

    void* Allocate() { return allocator.Allocate(); }
    void Free(void* block) { allocator.Free(block); }
    MemoryPoolInfo* GetInfo() override { return &info; }

    Allocator& GetAllocator() { return allocator; }
    ZoneManager& GetZoneManager() const { return *zoneManager; }

private:
    std::shared_ptr<ZoneManager> zoneManager;  // keeps the manager alive for the pool's life
    Allocator allocator;                       // free list and counters
    MemoryPoolInfo info;                       // what GetInfo reports
};

}  // namespace zmm
