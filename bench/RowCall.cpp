#include "bench/RowCall.h"

#include <random>

#include "bench/ResidentLibrary.h"
#include "evaluator/EvInvalidCell.h"
#include "evaluator/PooledCell.h"
#include "host/HostContext.h"
#include "host/ValueEntries.h"

namespace quon_bench {

namespace {

const quon_host::HostArrayObject* ArrayObject(const EvCell* array) {
    return reinterpret_cast<const quon_host::HostArrayObject*>(array->Word());
}

}  // namespace

ResultCell::ResultCell() {
    QUON_Evaluator::EvInvalidCell::MakeAt(bytes);
}

RowCall::RowCall(const char* row, std::size_t arguments)
    : adapter(ResidentLibrary::Get().Row(row).adapter), frame(arguments) {
    // Cell 0 lies right before argument 0 (host/CallFrame.h).
    cells = frame.Argument(0) - 1;
}

std::vector<std::int64_t> RandomInts(std::size_t count, std::uint64_t seed) {
    std::mt19937_64 generator(seed);
    std::vector<std::int64_t> out(count);
    for (std::int64_t& value : out) value = static_cast<std::int64_t>(generator() % 2'000'001) - 1'000'000;
    return out;
}

void SetIntArray(EvCell* place, const std::int64_t* values, std::size_t count) {
    ParentContext* host = quon_host::HostContext();
    QUON_Evaluator::PooledCell carrier(host->makeArray(count));
    EvCell* elements = ElementsOf(carrier.Get());
    for (std::size_t i = 0; i < count; ++i) host->setInt(elements + i, values[i]);
    carrier.MoveImageTo(place);
}

void SetBoard(EvCell* place, const std::int32_t* cells, std::int32_t width, std::int32_t height) {
    ParentContext* host = quon_host::HostContext();
    QUON_Evaluator::PooledCell board(host->makeArray(static_cast<std::uint64_t>(height)));
    EvCell* rows = ElementsOf(board.Get());
    for (std::int32_t r = 0; r < height; ++r) {
        QUON_Evaluator::PooledCell row(host->makeArray(static_cast<std::uint64_t>(width)));
        EvCell* elements = ElementsOf(row.Get());
        const std::int32_t* values = cells + static_cast<std::ptrdiff_t>(r) * width;
        for (std::int32_t c = 0; c < width; ++c) host->setInt(elements + c, values[c]);
        row.MoveImageTo(rows + r);
    }
    board.MoveImageTo(place);
}

EvCell* ElementsOf(const EvCell* array) {
    return ArrayObject(array)->Cells();
}

std::int64_t CountOf(const EvCell* array) {
    return ArrayObject(array)->count;
}

std::int64_t LiveCells(const EvCell* board) {
    std::int64_t live = 0;
    const EvCell* rows = ElementsOf(board);
    for (std::int64_t r = 0; r < CountOf(board); ++r) {
        const EvCell* elements = ElementsOf(rows + r);
        for (std::int64_t c = 0; c < CountOf(rows + r); ++c)
            live += static_cast<std::int32_t>(elements[c].Word()) != 0 ? 1 : 0;
    }
    return live;
}

}  // namespace quon_bench
