// Fixed-block pools and their zone managers. Each test draws from zone managers of its own
// (distinct block sizes or zone sizes), so the process-wide managers start fresh for it.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "memory/HeapMemoryPool.h"
#include "memory/MemoryPoolRegistry.h"

namespace {

template <std::size_t Size, std::size_t PerZone>
using TestPool = zmm::HeapMemoryPool<long, Size, PerZone, zmm::kPoolOptionsUnlocked>;

TEST(HeapMemoryPool, FirstAllocateCreatesOneZoneAndFreeListIsLifo) {
    TestPool<104, 0> pool("lifo pool");
    auto& manager = pool.GetZoneManager();
    if (manager.GetZoneCount() != 0)
        GTEST_SKIP() << "the 104-byte zone manager is fresh only once a process";

    void* a = pool.Allocate();
    EXPECT_EQ(manager.GetZoneCount(), 1u) << "the first Allocate creates exactly one zone";
    EXPECT_EQ(manager.GetTotalBlocks(), 65536u / 104) << "total blocks is one zone's worth";
    EXPECT_EQ(manager.GetLastZoneSize(), 65536u / 104) << "last zone size";
    EXPECT_EQ(pool.GetAllocator().CountFreeBlocks(), 65536u / 104 - 1) << "the rest of the zone is free";

    void* b = pool.Allocate();
    void* c = pool.Allocate();
    EXPECT_EQ(static_cast<char*>(b) - static_cast<char*>(a), 104)
        << "a new zone hands out in address order";
    pool.Free(a);
    pool.Free(b);
    pool.Free(c);
    EXPECT_EQ(pool.Allocate(), c) << "last freed comes back first";
    EXPECT_EQ(pool.Allocate(), b);
    EXPECT_EQ(pool.Allocate(), a);
    EXPECT_EQ(manager.GetZoneCount(), 1u) << "reuse creates no zone";
}

TEST(HeapMemoryPool, BlockSizeRoundsUpForTheZoneManager) {
    TestPool<12, 0> twelve("twelve");
    TestPool<16, 0> sixteen("sixteen");
    EXPECT_EQ(twelve.GetInfo()->blockSize, 12u) << "the pool records the size asked for";
    EXPECT_EQ(twelve.GetZoneManager().GetBlockSize(), 16u) << "but draws 16-byte blocks";
    EXPECT_EQ(&twelve.GetZoneManager(), &sixteen.GetZoneManager()) << "12 and 16 share one manager";
    EXPECT_EQ(twelve.GetInfo()->zoneManager, &twelve.GetZoneManager()) << "info points at the manager";
    EXPECT_EQ(twelve.GetZoneManager().GetBlocksPerZone(), 4096u) << "64 KiB zones of 16-byte blocks";
}

TEST(HeapMemoryPool, DeadPoolsFreeListBecomesOneChainThatLaterPoolsReuseAZoneAtATime) {
    constexpr std::size_t kPerZone = 4;
    std::set<void*> blocksOfFirstPool;
    auto manager = zmm::GetZoneManager<24, kPerZone, 1, 0, 0>();
    // The manager is process-wide: start from no stored chains, and count zones from here.
    for (void *head = nullptr, *tail = nullptr; manager->TakeChain(head, tail, 0) != 0;) {
    }
    const std::size_t zonesBefore = manager->GetZoneCount();
    {
        TestPool<24, kPerZone> first("chain source");
        std::vector<void*> taken;
        for (int i = 0; i < 10; ++i) taken.push_back(first.Allocate());
        for (void* block : taken) first.Free(block);
        EXPECT_EQ(manager->GetZoneCount() - zonesBefore, 3u) << "10 blocks need three zones of 4";
        EXPECT_EQ(first.GetAllocator().CountFreeBlocks(), 12u) << "all 12 blocks are free";
        blocksOfFirstPool.insert(taken.begin(), taken.end());
    }
    EXPECT_EQ(manager->GetReturnedChainCount(), 1u) << "the dead pool left one chain of its 10 blocks";
    EXPECT_EQ(manager->GetReturnedRangeCount(), 1u) << "and the 2 blocks it never reached as a range";

    TestPool<24, kPerZone> second("chain user");
    void* block = second.Allocate();
    EXPECT_EQ(manager->GetZoneCount() - zonesBefore, 3u) << "the refill reused the chain, no new zone";
    EXPECT_EQ(second.GetAllocator().CountFreeBlocks(), kPerZone - 1) << "a refill takes one zone's worth";
    EXPECT_EQ(manager->GetReturnedChainCount(), 1u) << "the rest of the chain was pushed back";
    void* first = nullptr;
    void* last = nullptr;
    EXPECT_EQ(manager->TakeChain(first, last, 0), 6u) << "the remainder holds the other 6 blocks";
    EXPECT_EQ(manager->TakeChain(first, last, 0), 0u) << "an empty stack gives nothing";
    zmm::BlockRange range{};
    EXPECT_TRUE(manager->TakeRange(range)) << "the untouched range is still stored";
    EXPECT_EQ(static_cast<char*>(range.end) - static_cast<char*>(range.begin), 2 * 24);
    EXPECT_EQ(blocksOfFirstPool.count(block), 1u) << "the block is one the dead pool had used";
}

TEST(HeapMemoryPool, TakeChainCutsAtTheLimitAndReturnsTheLastBlock) {
    auto manager = zmm::GetZoneManager<32, 5, 1, 0, 0>();
    const zmm::BlockRange zone = manager->CreateZone();
    auto* first = static_cast<char*>(zone.begin);
    for (int i = 0; i < 5; ++i) zmm::WriteLink(first + 32 * i, i < 4 ? first + 32 * (i + 1) : nullptr);
    void* last = first + 32 * 4;
    manager->ReturnChain(first);

    void* takenFirst = nullptr;
    void* takenLast = nullptr;
    EXPECT_EQ(manager->TakeChain(takenFirst, takenLast, 2), 2u) << "cut after two blocks";
    EXPECT_EQ(takenFirst, first) << "the chain starts at its head";
    EXPECT_EQ(zmm::ReadLink(takenLast), nullptr) << "the cut chain ends in null";
    EXPECT_EQ(static_cast<char*>(takenLast) - static_cast<char*>(first), 32) << "last is the second block";
    EXPECT_EQ(manager->TakeChain(takenFirst, takenLast, 3), 3u) << "exactly the rest, nothing left over";
    EXPECT_EQ(takenLast, last) << "ending at the zone's last block";
    EXPECT_EQ(manager->GetReturnedChainCount(), 0u) << "no empty remainder was pushed";
}

TEST(MemoryPoolRegistry, DuplicateNamesGetCopySuffixesAndDeadPoolsLeaveDescriptions) {
    auto& registry = zmm::MemoryPoolRegistry::Instance();
    {
        TestPool<40, 0> a("Registry X");
        TestPool<40, 0> b("Registry X");
        TestPool<40, 0> c("Registry X");
        EXPECT_EQ(registry.GetRegisteredName(&a), "Registry X");
        EXPECT_EQ(registry.GetRegisteredName(&b), "Registry X - COPY_1");
        EXPECT_EQ(registry.GetRegisteredName(&c), "Registry X - COPY_2");
        EXPECT_EQ(registry.FindPool("Registry X - COPY_1"), &b) << "names lead back to their pools";
        EXPECT_EQ(b.GetName(), "Registry X") << "the pool keeps the name it asked for";
    }
    EXPECT_EQ(registry.FindPool("Registry X"), nullptr) << "dead pools are unregistered";
    auto retired = registry.GetRetiredDescriptions();
    ASSERT_GE(retired.size(), 3u);
    EXPECT_EQ(retired.back().substr(0, 10), "Registry X") << "the description is kept on retirement";

    TestPool<40, 0> again("Registry X");
    EXPECT_EQ(registry.GetRegisteredName(&again), "Registry X") << "a freed name can be taken again";
}

TEST(MemoryPool, DescribeRendersTheStatisticsLine) {
    TestPool<16, 0> pool("Seq./Op. Pool 1");
    pool.GetInfo()->threadId = 1234;
    const std::string expected = std::string("Seq./Op. Pool 1") + std::string(21, ' ') +  // name in 36
                                 std::string(7, ' ') + " #1234 " +                        // thread in 14
                                 "   16B     2W " +                                       // size, words
                                 "           0            0            0            0 ";  // counters
    EXPECT_EQ(pool.Describe(), expected);
    pool.GetInfo()->threadId = 99;
    EXPECT_EQ(pool.Describe(), expected) << "the description is made once";

    TestPool<24, 0> unnamed("");
    unnamed.GetInfo()->counters = nullptr;
    EXPECT_EQ(unnamed.Describe().size(), 36u + 14 + 7 + 7 + 4 * 13) << "no counters print as zeros";
}

}  // namespace
