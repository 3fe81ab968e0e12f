#include "memory/HeapMemoryPool.h"

namespace zmm {

void* FreeList::AllocateUntouched(std::size_t blockSize, MemoryPoolZoneManager& manager, ZoneManagerTail& tail) {
    if (untouched.begin == untouched.end) Refill(manager, tail);
    void* block = head;
    if (block != nullptr) {
        head = ReadLink(block);
    } else {
        block = untouched.begin;
        untouched.begin = static_cast<unsigned char*>(block) + blockSize;
    }
    UnpoisonBlocks(block, blockSize);
    return block;
}

void FreeList::Refill(MemoryPoolZoneManager& manager, ZoneManagerTail& tail) {
    void* first = nullptr;
    void* last = nullptr;
    if (manager.TakeChain(tail, first, last, tail.blocksPerZone) != 0) {
        WriteLink(last, head);
        head = first;
    } else if (!manager.TakeRange(tail, untouched)) {
        untouched = manager.CreateZone(tail);
    }
}

void FreeList::ReturnTo(MemoryPoolZoneManager& manager, ZoneManagerTail& tail) {
    if (head != nullptr) manager.ReturnChain(tail, head);
    if (untouched.begin != untouched.end) manager.ReturnRange(tail, untouched);
    head = nullptr;
    untouched = BlockRange{nullptr, nullptr};
}

std::size_t FreeList::CountBlocks(std::size_t blockSize) const {
    std::size_t count = static_cast<std::size_t>(static_cast<unsigned char*>(untouched.end) -
                                                 static_cast<unsigned char*>(untouched.begin)) /
                        blockSize;
    for (void* block = head; block != nullptr; block = ReadLink(block)) ++count;
    return count;
}

}  // namespace zmm
