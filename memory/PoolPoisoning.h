// Free-list poisoning for sanitizer builds. A block on a free list is poisoned as a whole,
// so any use of a released cell or string body is reported; the pool unpoisons the link
// word around its own reads and writes, and the whole block when handing it out.
// In other builds every function here is empty and vanishes.
#pragma once

#include <cstddef>

#if defined(QUON_SANITIZE) || defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>
#define QUON_POOL_POISONING 1
#else
#define QUON_POOL_POISONING 0
#endif

namespace zmm {

inline void PoisonBlocks([[maybe_unused]] void* first, [[maybe_unused]] std::size_t bytes) {
#if QUON_POOL_POISONING
    ASAN_POISON_MEMORY_REGION(first, bytes);
#endif
}

inline void UnpoisonBlocks([[maybe_unused]] void* first, [[maybe_unused]] std::size_t bytes) {
#if QUON_POOL_POISONING
    ASAN_UNPOISON_MEMORY_REGION(first, bytes);
#endif
}

// Zone memory a dying zone manager keeps because others may still use it: not a leak.
inline void KeepZoneMemory([[maybe_unused]] void* memory) {
#if QUON_POOL_POISONING
    __lsan_ignore_object(memory);
#endif
}

// The link of a free block: its first 8 bytes hold the next free block, or null.
inline void* ReadLink(void* block) {
    UnpoisonBlocks(block, sizeof(void*));
    void* next = *static_cast<void**>(block);
    PoisonBlocks(block, sizeof(void*));
    return next;
}

inline void WriteLink(void* block, void* next) {
    UnpoisonBlocks(block, sizeof(void*));
    *static_cast<void**>(block) = next;
    PoisonBlocks(block, sizeof(void*));
}

}  // namespace zmm
