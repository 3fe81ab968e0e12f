// "myStringMemoryPool": the locked pool of 40-byte string bodies behind allocFnImp and
// freeFnImp, shared by every thread of the module. 65536 bodies to a zone.
//
// In front of it each thread keeps a small cache of free bodies (zmm::BlockCache): a body is
// taken from and given back to the calling thread's cache without a lock, and the cache moves
// bodies to and from the pool 32 at a time. A body freed on a thread is the next one that thread
// gets, as from the pool itself. A thread's cache goes back to the pool when the thread ends;
// every cache goes back when the module's static objects end.
#pragma once

#include <cstddef>

#include "memory/HeapMemoryPool.h"
#include "memory/MemoryPoolInfo.h"
#include "strings/tBaseString.h"

namespace zul::zulStdString {

using tStringMemoryPool = zmm::HeapMemoryPool<tBaseString, 0, 65536, zmm::kPoolOptionsLocked>;
static_assert(tStringMemoryPool::kLocked && tStringMemoryPool::kBlockSize == 40);
static_assert(
    std::is_same_v<tStringMemoryPool::ZoneManager, zmm::UntypedMemoryPoolZoneManager<40, 65536, 1, 1, 0>>);

// The module's string pool, made on first use.
tStringMemoryPool& StringMemoryPool();

// One uninitialised body block: from the calling thread's cache, refilled from the pool.
void* AllocateBodyBlock();
// A body block back to the calling thread's cache (or to the pool, when the thread has none).
void FreeBodyBlock(void* block);

// Free body blocks the calling thread can get without new memory: the pool's and its own
// cache's. Walks the lists, so for tests and diagnostics only.
std::size_t CountFreeBodyBlocks();

}  // namespace zul::zulStdString
