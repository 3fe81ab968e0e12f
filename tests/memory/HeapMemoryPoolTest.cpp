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
    TestPool<12, 0> twelve("twelve");
    TestPool<16, 0> sixteen("sixteen");
    EXPECT_EQ(twelve.GetInfo()->blockSize, 12u) << "the pool records the size asked for";
    EXPECT_EQ(&twelve.GetZoneManager(), &sixteen.GetZoneManager()) << "but draws 16-byte blocks";

    // Blocks of 104 bytes, 630 to a zone: a manager that no other pool of the process uses.
    TestPool<104, 630> pool("lifo pool");
    auto& manager = pool.GetZoneManager();
    ASSERT_EQ(manager.GetZoneCount(), 0u) << "the manager is fresh (this test runs once a process)";
    void* a = pool.Allocate();
    EXPECT_EQ(manager.GetZoneCount(), 1u) << "the first Allocate creates exactly one zone";
    EXPECT_EQ(manager.GetTotalBlocks(), 630u) << "of one zone's worth of blocks";
    EXPECT_EQ(pool.GetAllocator().CountFreeBlocks(), 630u - 1) << "the rest of the zone is free";
    void* b = pool.Allocate();
    void* c = pool.Allocate();
    EXPECT_EQ(static_cast<char*>(b) - static_cast<char*>(a), 104)
        << "a new zone hands out in address order";
    for (void* block : {a, b, c}) pool.Free(block);
    for (void* block : {c, b, a}) EXPECT_EQ(pool.Allocate(), block) << "last freed comes back first";
    EXPECT_EQ(manager.GetZoneCount(), 1u) << "reuse creates no zone";
}

TEST(HeapMemoryPool, DeadPoolsFreeListBecomesOneChainThatLaterPoolsReuseAZoneAtATime) {
    constexpr std::size_t kPerZone = 4;
    std::set<void*> blocksOfFirstPool;
    auto manager = zmm::GetZoneManager<24, kPerZone, 1, 0, 0>();
    void *first = nullptr, *last = nullptr;
    while (manager->TakeChain(first, last, 0) != 0) {
    }  // the manager is process-wide: start from no stored chains
    const std::size_t zonesBefore = manager->GetZoneCount();
    {
        TestPool<24, kPerZone> source("chain source");
        std::vector<void*> taken;
        for (int i = 0; i < 10; ++i) taken.push_back(source.Allocate());
        for (void* block : taken) source.Free(block);
        EXPECT_EQ(manager->GetZoneCount() - zonesBefore, 3u) << "10 blocks need three zones of 4";
        EXPECT_EQ(source.GetAllocator().CountFreeBlocks(), 12u) << "all 12 blocks are free";
        blocksOfFirstPool.insert(taken.begin(), taken.end());
    }
    EXPECT_EQ(manager->GetReturnedChainCount(), 1u) << "the dead pool left one chain of its 10 blocks";
    EXPECT_EQ(manager->GetReturnedRangeCount(), 1u) << "and the 2 blocks it never reached as a range";

    TestPool<24, kPerZone> user("chain user");
    void* block = user.Allocate();
    EXPECT_EQ(blocksOfFirstPool.count(block), 1u) << "the block is one the dead pool had used";
    EXPECT_EQ(manager->GetZoneCount() - zonesBefore, 3u) << "the refill reused the chain, no new zone";
    EXPECT_EQ(user.GetAllocator().CountFreeBlocks(), kPerZone - 1) << "a refill takes one zone's worth";
    EXPECT_EQ(manager->GetReturnedChainCount(), 1u) << "the rest of the chain was pushed back";
    EXPECT_EQ(manager->TakeChain(first, last, 6), 6u) << "the remainder holds the other 6 blocks";
    EXPECT_EQ(zmm::ReadLink(last), nullptr) << "and ends in null";
    EXPECT_EQ(manager->GetReturnedChainCount(), 0u) << "taken exactly: no empty remainder was pushed";
    zmm::BlockRange range{};
    EXPECT_TRUE(manager->TakeRange(range)) << "the untouched range is still stored";
    EXPECT_EQ(static_cast<char*>(range.end) - static_cast<char*>(range.begin), 2 * 24);
}

TEST(MemoryPoolRegistry, DuplicateNamesGetCopySuffixesAndDeadPoolsLeaveDescriptions) {
    auto& registry = zmm::MemoryPoolRegistry::Instance();
    {
        TestPool<40, 0> a("Registry X"), b("Registry X"), c("Registry X");
        EXPECT_EQ(registry.GetRegisteredName(&a), "Registry X");
        EXPECT_EQ(registry.GetRegisteredName(&b), "Registry X - COPY_1");
        EXPECT_EQ(registry.GetRegisteredName(&c), "Registry X - COPY_2");
        EXPECT_EQ(registry.FindPool("Registry X - COPY_1"), &b) << "names lead back to their pools";
    }
    EXPECT_EQ(registry.FindPool("Registry X"), nullptr) << "dead pools are unregistered";
    EXPECT_EQ(registry.GetRetiredDescriptions().back().substr(0, 10), "Registry X") << "descriptions kept";
    TestPool<40, 0> again("Registry X");
    EXPECT_EQ(registry.GetRegisteredName(&again), "Registry X") << "a freed name can be taken again";
}

TEST(MemoryPool, DescribeRendersTheStatisticsLine) {
    TestPool<16, 0> pool("Seq./Op. Pool 1");
    pool.GetInfo()->threadId = 1234;
    const std::string expected =
        "Seq./Op. Pool 1                             #1234    16B     2W "
        "           0            0            0            0 ";
    EXPECT_EQ(pool.Describe(), expected);
    pool.GetInfo()->threadId = 99;
    EXPECT_EQ(pool.Describe(), expected) << "the description is made once";

    TestPool<24, 0> unnamed("");
    unnamed.GetInfo()->counters = nullptr;
    EXPECT_EQ(unnamed.Describe().substr(50),
              "   24B     3W            0            0            0            0 ")
        << "no counters print as zeros";
}

}  // namespace
