#include "host/HostValues.h"

#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/EvException.h"
#include "diagnostics/Exception.h"
#include "evaluator/CellClassTable.h"
#include "evaluator/EvInvalidCell.h"
#include "evaluator/EvStringCell.h"
#include "evaluator/PrimitiveCells.h"
#include "evaluator/RecordView.h"
#include "evaluator/fArrayOfPrimitiveValues.h"
#include "host/HostFaults.h"
#include "memory/InterModuleProxy.h"
#include "memory/ThreadCellPools.h"
#include "platform/Platform.h"

namespace quon_host {

using QUON_Evaluator::EvInvalidCell;
using zul::zulStdString::tString;

namespace {

void AddReference(std::atomic<std::uint64_t>& references) {
    references.fetch_add(1, std::memory_order_relaxed);
}

// True when the caller dropped the last reference.
bool DropReference(std::atomic<std::uint64_t>& references) {
    return references.fetch_sub(1, std::memory_order_acq_rel) == 1;
}

// Every slot starts as an invalid cell, so an unfilled slot is visible and safe to release.
void FillInvalid(EvCell* cells, std::uint64_t count) {
    for (std::uint64_t i = 0; i < count; ++i) EvInvalidCell::MakeAt(cells + i);
}

// This host's Int cells own nothing: a large array of them is let go without a call per element.
void ReleaseCells(EvCell* cells, std::uint64_t count) {
    const void* integer = QUON_Evaluator::CellClasses().Identity(QUON_Evaluator::CellClass::kInteger);
    for (std::uint64_t i = 0; i < count; ++i)
        if (cells[i].ClassIdentity() != integer) cells[i].ReleaseData();
}

// Drops one cell's reference to a shared array or record; the last one ends its cells and
// frees the block.
template <class Block>
void DropBlock(Block* block) {
    if (block == nullptr || !DropReference(block->references)) return;
    ReleaseCells(block->Cells(), block->CellCount());
    block->~Block();
    ::operator delete(block);
}

std::size_t CellsBytes(std::uint64_t header, std::uint64_t count) {
    if (count > (SIZE_MAX - header) / sizeof(EvCell)) throw std::bad_array_new_length();
    return header + count * sizeof(EvCell);
}

void AppendQuoted(std::string& out, const EvCell& cell) {
    tString text;
    cell.ToQuotedString(text);
    out += text.Text();
}

}  // namespace

// Arrays.
std::uintptr_t HostArrayCell::GetElement(void* arg) {
    const HostArrayObject* object = Object();
    if (object == nullptr || object->count <= 0) throw QUON_Evaluator::EvException(22);
    const auto index = QUON_Evaluator::NormalizeIndex(reinterpret_cast<std::intptr_t>(arg), object->count);
    return reinterpret_cast<std::uintptr_t>(object->elements + index);
}

void HostArrayCell::ReleaseData() {
    HostArrayObject* object = Object();
    word = 0;
    DropBlock(object);
}

void HostArrayCell::CloneData() {
    if (HostArrayObject* object = Object()) AddReference(object->references);
}

void HostArrayCell::ToString(tString& out, bool) const {
    std::string text = "[";
    if (const HostArrayObject* object = Object())
        for (std::int64_t i = 0; i < object->count; ++i) {
            if (i != 0) text += ", ";
            AppendQuoted(text, object->elements[i]);
        }
    out = tString(text + "]");
}

EvCell* MakeArray(std::uint64_t count) {
    // The library passes a native function's count on unchanged, a negative one included.
    if (static_cast<std::int64_t>(count) < 0)
        throw zul::Exception(("Negative array size! An array of " +
                              std::to_string(static_cast<std::int64_t>(count)) + " elements was requested.")
                                 .c_str());
    void* cell = QUON_Evaluator::AllocateCell();
#if defined(QUON_HOST_FAULTS)
    if (count == 0 && Planted(Fault::kEmptyArrayNull)) return ::new (cell) HostArrayCell(nullptr);
#endif
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

// A thread's share of one names table: the handle taken once, and the thread's records that use
// it plus one while the thread lists the hold. Only the thread that lists a hold adds records to
// it, so a listed hold at one user has no record and no other thread can reach it. Each on its
// own cache line, as its count changes with every record its thread makes or releases.
class alignas(zul::platform::kCacheLineSize) RecordNamesHold {
public:
    explicit RecordNamesHold(std::shared_ptr<utilRecordNames> table) : table(std::move(table)) {}

    utilRecordNames* Table() const { return table.get(); }
    void AddUser() { users.fetch_add(1, std::memory_order_relaxed); }
    bool Idle() const { return users.load(std::memory_order_acquire) == 1; }
    // The last user deletes the hold, and with it the handle.
    void DropUser() {
        if (users.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }

private:
    std::shared_ptr<utilRecordNames> table;
    std::atomic<std::int64_t> users{1};  // records, plus one for the thread's list
};

namespace {

// The calling thread's holds; the list's share of each is dropped when the thread ends (a busy
// hold then ends with its last record).
class ThreadNamesHolds {
public:
    ~ThreadNamesHolds() {
        for (RecordNamesHold* hold : holds) hold->DropUser();
    }

    // The thread's hold of `table`, made on first use.
    RecordNamesHold* Find(const std::shared_ptr<utilRecordNames>& table) {
        for (RecordNamesHold* hold : holds)
            if (hold->Table() == table.get()) return hold;
        if (holds.size() >= kKeptIdle) DropIdle();
        holds.reserve(holds.size() + 1);
        holds.push_back(new RecordNamesHold(table));
        return holds.back();
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
    static constexpr std::size_t kKeptIdle = 8;
    std::vector<RecordNamesHold*> holds;
};

thread_local ThreadNamesHolds threadNamesHolds;

}  // namespace

HostRecordBlock::~HostRecordBlock() {
    hold->DropUser();
}

HostRecordBlock* HostRecordCell::Block() const {
    if (word == 0) return nullptr;
    return static_cast<HostRecordBlock*>(const_cast<void*>(QUON_Evaluator::RecordView(*this).Block()));
}

void HostRecordCell::ReleaseData() {
    HostRecordBlock* block = Block();
    word = 0;
    DropBlock(block);
}

void HostRecordCell::CloneData() {
    if (HostRecordBlock* block = Block()) AddReference(block->references);
}

void HostRecordCell::ToString(tString& out, bool) const {
    std::string text = "{";
    if (const HostRecordBlock* block = Block()) {
        std::vector<std::string_view> names(block->count);
        for (const auto& [name, index] : block->names->Names())
            if (index >= 0 && static_cast<std::uint64_t>(index) < block->count) names[index] = name.Text();
        for (std::uint64_t i = 0; i < block->count; ++i) {
            if (i != 0) text += ", ";
            text.append(names[i]).append(": ");
            AppendQuoted(text, Attributes()[i]);
        }
    }
    out = tString(text + "}");
}

void MakeRecord(EvCell* cell, const std::shared_ptr<utilRecordNames>* names) {
    // The handle is only read: copying it would count on the table's shared counter per record.
    std::shared_ptr<utilRecordNames> made;  // a table of its own when none is given
    const std::shared_ptr<utilRecordNames>* table = names;
    if (table == nullptr || *table == nullptr) {
        made = utilRecordNames::Make();
        table = &made;
    }
#if defined(QUON_HOST_FAULTS)
    if (Planted(Fault::kRecordNamesCopied)) {
        auto copy = utilRecordNames::Make();
        for (const auto& named : (*table)->Names()) utilRecordNames::AddName(copy, named.first.Text());
        made = std::move(copy);
        table = &made;
    }
#endif
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
void HostCustomCell::ReleaseData() {
    HostCustomObject* holder = Holder();
    word = 0;
    if (holder == nullptr || !DropReference(holder->references)) return;
    bool destroy = holder->entry != nullptr && holder->entry->destroy != nullptr;
#if defined(QUON_HOST_FAULTS)
    if (Planted(Fault::kCustomNeverDestroyed)) destroy = false;
    if (destroy && Planted(Fault::kCustomDestroyedTwice)) holder->entry->destroy(holder->object);
#endif
    if (destroy) holder->entry->destroy(holder->object);
    delete holder;
}

void HostCustomCell::CloneData() {
    if (HostCustomObject* holder = Holder()) AddReference(holder->references);
}

void HostCustomCell::ToString(tString& out, bool quoted) const {
    const HostCustomObject* holder = Holder();
    if (holder == nullptr || holder->entry == nullptr || holder->entry->toText == nullptr)
        return EvValueCell::ToString(out, quoted);
    // The proxy is destroyed with the producer's code, also when making the host's copy throws.
    struct Destroyer {
        void operator()(zul::InterModuleProxy<std::string>* proxy) const { proxy->Destroy(); }
    };
    const std::unique_ptr<zul::InterModuleProxy<std::string>, Destroyer> text(
        holder->entry->toText(holder->object));
    out = tString(text->value);
}

void HostFunctionCell::ReleaseData() {
    HostFunctionObject* object = Object();
    word = 0;
    if (object != nullptr && DropReference(object->references)) delete object;
}

void HostFunctionCell::CloneData() {
    if (HostFunctionObject* object = Object()) AddReference(object->references);
}

void HostFunctionCell::ToString(tString& out, bool) const {
    const std::size_t arity = Object() != nullptr ? Object()->arity : 0;
    out = tString("<function of " + std::to_string(arity) + (arity == 1 ? " argument>" : " arguments>"));
}

void SetCustom(EvCell* cell, void* object, const QUON_ExternLib::CustomTypeEntry* entry) {
    HostCustomObject* holder = nullptr;
    try {
        holder = new HostCustomObject{{1}, object, entry};
    } catch (...) {
        // The host owns the object from this call on: without a holder it ends it at once.
        if (entry != nullptr && entry->destroy != nullptr) entry->destroy(object);
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
#if defined(QUON_HOST_FAULTS)
    if (Planted(Fault::kSetInt32)) value = static_cast<std::int32_t>(value);
#endif
    ::new (cell) QUON_Evaluator::EvIntegerCell(value);
}

void SetFloat(EvCell* cell, double value) {
#if defined(QUON_HOST_FAULTS)
    if (Planted(Fault::kSetFloat32)) value = static_cast<float>(value);
#endif
    ::new (cell) QUON_Evaluator::EvFloatCell(value);
}

void SetBool(EvCell* cell, std::uint64_t value) {
    ::new (cell) QUON_Evaluator::EvBoolCell(value);
}

void SetString(EvCell* cell, const char* bytes, std::uint64_t length) {
    std::string_view text = bytes != nullptr ? std::string_view(bytes, length) : std::string_view();
#if defined(QUON_HOST_FAULTS)
    if (Planted(Fault::kSetStringCString)) text = text.substr(0, text.find('\0'));
#endif
    QUON_Evaluator::EvStringCell::MakeAt(cell, text);
}

}  // namespace quon_host
