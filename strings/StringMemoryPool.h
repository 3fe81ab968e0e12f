// "myStringMemoryPool": the locked pool of 40-byte string bodies behind allocFnImp and
// freeFnImp, shared by every thread of the module. 65536 bodies to a zone.
#pragma once

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

}  // namespace zul::zulStdString
