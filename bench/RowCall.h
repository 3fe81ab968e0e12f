// Calling a row of the resident library (bench/ResidentLibrary.h) the way the stand-in host does:
// argument cells made by the host's setters in a quon_host::CallFrame, a result cell the host
// owns, and the row's adapter called with both. Also the host-side values the function benchmarks
// hand over: Int arrays and boards (arrays of arrays of Int), built through the host's table.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <new>
#include <vector>

#include "evaluator/cell.h"
#include "host/CallFrame.h"
#include "hostabi/LibraryDescriptor.h"

namespace quon_bench {

using QUON_Evaluator::EvCell;

// A result slot the host owns: an invalid cell until an adapter writes its result.
class ResultCell {
public:
    ResultCell();
    ~ResultCell() { Release(); }
    ResultCell(const ResultCell&) = delete;
    ResultCell& operator=(const ResultCell&) = delete;

    EvCell* Cell() { return std::launder(reinterpret_cast<EvCell*>(bytes)); }
    // Gives up what the result holds (an array, ...), as the host does once it is done with it.
    void Release() { Cell()->ReleaseData(); }

private:
    alignas(16) unsigned char bytes[16];
};

// One prepared call of a row: its adapter, a frame of `arguments` cells for the caller to fill
// through the host's setters, and a result cell.
class RowCall {
public:
    // Throws std::runtime_error when the library cannot be loaded or has no such row.
    RowCall(const char* row, std::size_t arguments);

    EvCell* Argument(std::size_t i) { return frame.Argument(i); }
    EvCell* Result() { return result.Cell(); }
    ResultCell& ResultSlot() { return result; }

    // The call as the host makes it: CallFrame::Call (argument 0's image into cell 0, and the
    // thread's state the host restores around a call).
    void ThroughHost() { frame.Call(adapter, result.Cell()); }
    // The adapter alone on the prepared frame, once ThroughHost has filled cell 0.
    void Adapter() { adapter(result.Cell(), cells); }

    QUON_ExternLib::AdapterFn adapter;
    EvCell* cells;  // the frame's cell 0; argument i is cells + 1 + i

private:
    quon_host::CallFrame frame;
    ResultCell result;
};

// Runs `body` (which prepares its calls and runs the benchmark's loop); skips the benchmark with
// the message of a setup error instead of ending the program.
template <class Body>
void RunOrSkip(benchmark::State& state, Body body) {
    try {
        body();
    } catch (const std::exception& failure) {
        state.SkipWithError(failure.what());
    }
}

// `count` fixed pseudo-random Ints from -1,000,000 to 1,000,000, the same for the same `seed`.
std::vector<std::int64_t> RandomInts(std::size_t count, std::uint64_t seed);
// An Int array of the host's, of `count` elements from `values`, written into `place`.
void SetIntArray(EvCell* place, const std::int64_t* values, std::size_t count);
// A board as the host holds one: an array of `height` rows, each an Int array of `width`
// elements, from the row-major `cells`, written into `place`.
void SetBoard(EvCell* place, const std::int32_t* cells, std::int32_t width, std::int32_t height);
// The element cells of a host array cell.
EvCell* ElementsOf(const EvCell* array);
std::int64_t CountOf(const EvCell* array);
// Cells of a host board whose value (the low 32 bits, as the library reads it) is not zero.
std::int64_t LiveCells(const EvCell* board);

}  // namespace quon_bench
