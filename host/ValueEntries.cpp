#include "host/ValueEntries.h"

#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "diagnostics/Exception.h"
#include "evaluator/EvInvalidCell.h"
#include "evaluator/EvStringCell.h"
#include "evaluator/PrimitiveCells.h"
#include "host/LibraryBoundary.h"
#include "memory/ThreadCellPools.h"

namespace quon_host {

using QUON_Evaluator::EvInvalidCell;

namespace {

// Every slot starts as an invalid cell, so an unfilled slot is visible and safe to release.
void FillInvalid(EvCell* cells, std::uint64_t count) {
    for (std::uint64_t i = 0; i < count; ++i) EvInvalidCell::MakeAt(cells + i);
}

std::size_t CellsBytes(std::uint64_t header, std::uint64_t count) {
    if (count > (SIZE_MAX - header) / sizeof(EvCell)) throw std::bad_array_new_length();
    return header + count * sizeof(EvCell);
}

}  // namespace

// Arrays.
EvCell* MakeArray(std::uint64_t count) {
    // The library passes a native function's count on unchanged, a negative one included.
    if (static_cast<std::int64_t>(count) < 0)
        throw zul::Exception(("Negative array size! An array of " +
                              std::to_string(static_cast<std::int64_t>(count)) + " elements was requested.")
                                 .c_str());
    void* cell = QUON_Evaluator::AllocateCell();
    void* memory = nullptr;
    try {
        memory = ::operator new(CellsBytes(sizeof(HostArrayObject), count));
    } catch (...) {
        QUON_Evaluator::FreeCell(cell);
        throw;
    }
    auto* object = ::new (memory) HostArrayObject{{1}, {}, static_cast<std::int64_t>(count), 0, nullptr, 0};
    object->elements = reinterpret_cast<EvCell*>(static_cast<char*>(memory) + sizeof(HostArrayObject));
    FillInvalid(object->elements, count);
    return ::new (cell) HostArrayCell(object);
}

// Records.

namespace {

// The calling thread's holds; the list's share of each is dropped when the thread ends (a busy
// hold then ends with its last record).
class ThreadNamesHolds {
public:
    ~ThreadNamesHolds() {
        for (RecordNamesHold* hold : holds) hold->Orphan();
        delete spare;
    }

    // The thread's hold of `table`, made on first use. Holds whose last record went on another
    // thread are dropped first.
    RecordNamesHold* Find(const std::shared_ptr<utilRecordNames>& table) {
        DropIdle();
        for (RecordNamesHold* hold : holds)
            if (hold->Table() == table.get()) return hold;
        holds.reserve(holds.size() + 1);
        RecordNamesHold* hold = std::exchange(spare, nullptr);
        if (hold != nullptr)
            hold->Reuse(table);
        else
            hold = new RecordNamesHold(table, &DropFromThisThread);
        holds.push_back(hold);
        return hold;
    }

    // Takes `hold` off this thread's list and drops the list's share; the last keeps the hold
    // for the next table (a thread that makes and releases records one call at a time allocates
    // no hold per call).
    void Drop(RecordNamesHold* hold) {
        std::erase(holds, hold);
        if (hold->DropListShare()) {
            if (spare == nullptr)
                spare = hold;
            else
                delete hold;
        }
    }

    // Drops the list's share of every hold without records.
    void DropIdle() {
        std::erase_if(holds, [](RecordNamesHold* hold) {
            if (!hold->Idle()) return false;
            hold->DropUser();
            return true;
        });
    }

private:
    static void DropFromThisThread(RecordNamesHold* hold);

    std::vector<RecordNamesHold*> holds;
    RecordNamesHold* spare = nullptr;  // a hold without a table, for the next one
};

thread_local ThreadNamesHolds threadNamesHolds;

void ThreadNamesHolds::DropFromThisThread(RecordNamesHold* hold) {
    threadNamesHolds.Drop(hold);
}

}  // namespace
void MakeRecord(EvCell* cell, const std::shared_ptr<utilRecordNames>* names) {
    // The handle is only read: copying it would count on the table's shared counter per record.
    std::shared_ptr<utilRecordNames> made;  // a table of its own when none is given
    const std::shared_ptr<utilRecordNames>* table = names;
    if (table == nullptr || *table == nullptr) {
        made = utilRecordNames::Make();
        table = &made;
    }
    RecordNamesHold* hold = threadNamesHolds.Find(*table);
    const std::uint64_t count = hold->Table()->Size();
    void* memory = ::operator new(CellsBytes(sizeof(HostRecordBlock), count));
    hold->AddUser();
    auto* block = ::new (memory) HostRecordBlock{
        {1}, hold->Table(), hold, 0, count, static_cast<std::uint16_t>(sizeof(HostRecordBlock)), {}};
    auto* attributes = reinterpret_cast<EvCell*>(block + 1);
    FillInvalid(attributes, count);
    ::new (cell) HostRecordCell(attributes);
}

// Custom objects.
void SetCustom(EvCell* cell, void* object, const QUON_ExternLib::CustomTypeEntry* entry) {
    HostCustomObject* holder = nullptr;
    try {
        holder = new HostCustomObject{{1}, object, entry};
    } catch (...) {
        // The host owns the object from this call on: without a holder it ends it at once.
        if (entry != nullptr && entry->destroy != nullptr)
            IntoLibraryNoThrow([] { return std::string("a custom type's destroy"); }, [&] { entry->destroy(object); });
        throw;
    }
    ::new (cell) HostCustomCell(holder);
}

void* GetCustom(EvCell* cell) {
    static const HostCustomCell probe(nullptr);
    if (cell == nullptr || !cell->SameClassAs(probe)) return nullptr;
    return static_cast<HostCustomCell*>(cell)->Holder()->object;
}

// Scalars and strings.
void SetInt(EvCell* cell, std::int64_t value) {
    ::new (cell) QUON_Evaluator::EvIntegerCell(value);
}

void SetFloat(EvCell* cell, double value) {
    ::new (cell) QUON_Evaluator::EvFloatCell(value);
}

void SetBool(EvCell* cell, std::uint64_t value) {
    ::new (cell) QUON_Evaluator::EvBoolCell(value);
}

void SetString(EvCell* cell, const char* bytes, std::uint64_t length) {
    std::string_view text = bytes != nullptr ? std::string_view(bytes, length) : std::string_view();
    QUON_Evaluator::EvStringCell::MakeAt(cell, text);
}

}  // namespace quon_host
