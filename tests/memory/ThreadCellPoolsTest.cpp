// Per-thread cell pools: construction on first use, and the hand-back of free blocks to the
// shared zone managers when a thread exits.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "memory/MemoryPoolRegistry.h"
#include "memory/ThreadCellPools.h"

namespace {

using QUON_Evaluator::AllocateCell;
using QUON_Evaluator::CurrentThreadCellPools;
using QUON_Evaluator::FreeCell;

// Runs `work` on a new thread and waits for the thread to exit.
template <class Work>
void OnNewThread(Work work) {
    std::thread thread(work);
    thread.join();
}

TEST(ThreadCellPools, FirstUseOnAThreadRegistersFortyFiveNamedPoolsUntilItEnds) {
    auto& registry = zmm::MemoryPoolRegistry::Instance();
    const std::size_t before = registry.GetPoolCount();
    OnNewThread([&] {
        EXPECT_EQ(QUON_Evaluator::threadCellPools, nullptr) << "nothing is built before the first use";
        auto& pools = CurrentThreadCellPools();
        EXPECT_EQ(registry.GetPoolCount() - before, 45u)
            << "21 cell pools, the universal pool, 23 sub-pools";
        EXPECT_EQ(&CurrentThreadCellPools(), &pools) << "later uses find the same pools";

        auto& pool1 = pools.GetCellPool<1>();
        auto& universal = pools.GetUniversalPool();
        EXPECT_EQ(pool1.GetName(), "Seq./Op. Pool 1");
        EXPECT_EQ(universal.GetSubPool<16384>().GetName(), "UMPB_UniversalCellMemoryPool_16384");
        EXPECT_EQ(pools.GetCellPool<21>().GetInfo()->blockSize, 336u) << "pool N holds 16 * N bytes";
        EXPECT_EQ(&universal.GetSubPool<12>().GetZoneManager(), &pool1.GetZoneManager())
            << "sub-pool 12 shares the 16-byte manager with cell pool 1";
        EXPECT_EQ(&universal.GetSubPool<96>().GetZoneManager(), &pools.GetCellPool<6>().GetZoneManager())
            << "equal sizes share one manager";
    });
    EXPECT_EQ(registry.GetPoolCount(), before) << "the thread's pools unregister when it ends";
}

TEST(ThreadCellPools, AnExitedThreadsBlocksGoToTheNextThreadWithoutANewZone) {
    QUON_Evaluator::EvCellMemoryPool<1, 0>::ZoneManager* manager = nullptr;
    std::size_t freeAtExit = 0;
    std::set<void*> released;
    OnNewThread([&] {
        std::vector<void*> cells;
        for (int i = 0; i < 10; ++i) cells.push_back(AllocateCell());
        for (void* cell : cells) FreeCell(cell);
        released.insert(cells.begin(), cells.end());
        auto& pool1 = CurrentThreadCellPools().GetCellPool<1>();
        freeAtExit = pool1.GetAllocator().CountFreeBlocks();
        manager = &pool1.GetZoneManager();  // kept alive by its process-wide reference
    });
    auto& zones = *manager;
    // The pool last destroyed at exit is cell pool 1: its chain is on top of the stack.
    void *first = nullptr, *last = nullptr;
    const std::size_t chained = zones.TakeChain(first, last, 0);
    zmm::BlockRange rest{};
    const bool hasRange = zones.TakeRange(rest);
    const std::size_t inRange =
        hasRange ? (static_cast<char*>(rest.end) - static_cast<char*>(rest.begin)) / 16 : 0;
    ASSERT_EQ(chained + inRange, freeAtExit)
        << "one chain of the free list, one range of the untouched rest";
    zones.ReturnChain(first);
    if (hasRange) zones.ReturnRange(rest);
    const std::size_t zonesBefore = zones.GetZoneCount();

    OnNewThread([&] {
        void* cell = AllocateCell();
        EXPECT_EQ(released.count(cell), 1u) << "the new thread's first cell is a released one";
        EXPECT_EQ(zones.GetZoneCount(), zonesBefore) << "no new zone was created";
        FreeCell(cell);
    });
}

TEST(ThreadCellPools, ACellReleasedOnAnotherThreadIsReusedThere) {
    void* cell = nullptr;
    OnNewThread([&] { cell = AllocateCell(); });
    OnNewThread([&] {
        FreeCell(cell);
        EXPECT_EQ(AllocateCell(), cell) << "it joined the releasing thread's free list";
        FreeCell(cell);
    });
}

}  // namespace
