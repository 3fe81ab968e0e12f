// The per-thread pool of one cell size class: cell pool N hands out blocks of 16 * N bytes.
#pragma once

#include <cstddef>
#include <string>

#include "memory/HeapMemoryPool.h"
#include "memory/MemoryPoolInfo.h"

namespace QUON_Evaluator {

class EvCell;  // the two-word cell; only its size class matters here

template <std::size_t N, int Variant>
class EvCellMemoryPool : public zmm::HeapMemoryPool<EvCell, 16 * N, 0, zmm::kPoolOptionsUnlocked> {
    static_assert(N >= 1 && N <= 21, "cell size classes run from 16 to 336 bytes");

public:
    EvCellMemoryPool() : zmm::HeapMemoryPool<EvCell, 16 * N, 0, zmm::kPoolOptionsUnlocked>(DefaultName()) {}
    using zmm::HeapMemoryPool<EvCell, 16 * N, 0, zmm::kPoolOptionsUnlocked>::HeapMemoryPool;

    static std::string DefaultName() { return "Seq./Op. Pool " + std::to_string(N); }
};

}  // namespace QUON_Evaluator
