// A thread's own stack of free blocks in front of a locked pool.
//
//   head -> [link|....] -> [link|....] -> ... -> null     at most kCapacity blocks, linked and
//                                                         poisoned as on the pool's free list
//
// Pop and Push touch nothing but the stack: no lock, no atomic. The owner refills an empty stack
// with a chain of kBatch blocks from the pool (one lock for kBatch blocks) and, when the stack
// is full, hands the top kBatch blocks back as one chain before pushing. Blocks go out LIFO, as
// from the pool itself: the block freed last on a thread is the next one it gets.
#pragma once

#include <cstddef>
#include <cstdint>

#include "memory/PoolPoisoning.h"
#include "platform/Invariant.h"

namespace zmm {

template <std::size_t BlockSize>
class BlockCache {
public:
    static constexpr std::size_t kCapacity = 64;  // blocks held at most
    static constexpr std::size_t kBatch = 32;     // blocks moved to or from the pool at a time

    // The top block, unpoisoned, or null when the stack is empty.
    void* Pop() {
        void* block = head;
        if (block != nullptr) {
            head = ReadLink(block);
            --count;
            UnpoisonBlocks(block, BlockSize);
        }
        return block;
    }

    // Pushes a block; false (nothing done) when the stack is full.
    bool Push(void* block) {
        QUON_INVARIANT(block != nullptr && reinterpret_cast<std::uintptr_t>(block) % 8 == 0,
                       "a thread's cache takes back only blocks its pool could have handed out");
        QUON_INVARIANT(block != head, "a block freed twice in a row");
        if (count == kCapacity) return false;
        WriteLink(block, head);
        PoisonBlocks(block, BlockSize);
        head = block;
        ++count;
        return true;
    }

    // Puts a chain of `blocks` free blocks (from `first` to `last`, poisoned) on an empty stack.
    void Fill(void* first, std::size_t blocks) {
        QUON_INVARIANT(head == nullptr && count == 0, "a thread's cache filled while it holds blocks");
        QUON_INVARIANT(first != nullptr || blocks == 0, "a thread's cache filled from an empty chain");
        head = first;
        count = blocks;
    }

    // Detaches the top `blocks` blocks (at most Count()) as a chain: returns its first block and
    // stores its last in `last`.
    void* TakeTop(std::size_t blocks, void*& last) {
        QUON_INVARIANT(blocks <= count, "more blocks taken from a thread's cache than it holds");
        void* first = head;
        last = nullptr;
        void* block = head;
        for (std::size_t i = 0; i < blocks; ++i) {
            last = block;
            block = ReadLink(block);
        }
        head = block;
        count -= blocks;
        return first;
    }

    std::size_t Count() const { return count; }

private:
    void* head = nullptr;
    std::size_t count = 0;
};

}  // namespace zmm
