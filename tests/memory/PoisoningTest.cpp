// In sanitizer builds, free blocks are poisoned: touching a released cell is reported.
#include <gtest/gtest.h>

#include "memory/PoolPoisoning.h"
#include "memory/ThreadCellPools.h"

namespace {

#if QUON_POOL_POISONING
TEST(PoolPoisoningDeathTest, UseOfAReleasedCellIsReported) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto touchReleased = [] {
        auto* cell = static_cast<volatile long*>(QUON_Evaluator::AllocateCell());
        cell[1] = 1;  // in use: fine
        QUON_Evaluator::FreeCell(const_cast<long*>(cell));
        cell[1] = 2;  // released: reported
    };
    EXPECT_DEATH(touchReleased(), "use-after-poison");

    auto* cell = static_cast<long*>(QUON_Evaluator::AllocateCell());
    cell[0] = cell[1] = 3;  // a block handed out again is usable as a whole
    QUON_Evaluator::FreeCell(cell);
}
#endif

}  // namespace
