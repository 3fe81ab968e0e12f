// The stand-in host's values: the objects behind its array, record, custom-object and function
// cells, and those cells. The operation table's entries that make them are in host/ValueEntries.h.
//
//   array cell   [HostArrayCell | object]
//                                  v
//   HostArrayObject   0 references | 8 reserved (3 words) | 32 count | 40 reserved | 48 elements
//                     64: count element cells (elements points here)
//
//   record cell  [HostRecordCell | first attribute]
//                                  v (block + 48)
//   HostRecordBlock   0 references | 8 names table | 16 names hold | 24 reserved | 32 count
//                     40 distance back to the block (16 bits, = 48) | 48 attribute cells
//
//   custom cell  [HostCustomCell | object holder] -> HostCustomObject: references, object, entry
//
//   function cell  [HostFunctionCell | object] -> HostFunctionObject: references, arity; what the
//                  function does lies in a subclass (host/HostFunction.h)
//
// Each object is one heap allocation shared by reference count: copying a cell and calling
// CloneData adds a reference, ReleaseData drops one; the last releases the element or
// attribute cells (ReleaseData on each), the names hold, or the native object (the type
// entry's destroy), then frees the allocation.
//
// A record keeps its names table alive through the hold of the thread that made it: the table's
// shared handle, taken once per thread, and a count of that thread's records. Records of one
// table made on two threads so count on two holds and never share a counter. When a hold's last
// record goes on the thread that made it, the hold goes with it; when it goes on another thread,
// the making thread drops the idle hold when it next makes a record, or when it ends. So once
// the last value of a library is released, the host keeps nothing of it (no handle whose release
// would run the library's code after the library is unloaded).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "evaluator/EvValueCell.h"
#include "evaluator/utilRecordNames.h"
#include "hostabi/LibraryDescriptor.h"
#include "platform/Platform.h"

namespace quon_host {

using QUON_Evaluator::EvCell;
using QUON_Evaluator::utilRecordNames;

struct HostArrayObject {
    std::atomic<std::uint64_t> references;  // cells sharing the object
    std::uint64_t reserved[3];              // unused
    std::int64_t count;                     // element count (the library reads it)
    std::uint64_t reserved2;                // unused
    EvCell* elements;                       // the element cells, after the header (the library reads it)
    std::uint64_t padding;                  // keeps the cells 16-byte aligned

    EvCell* Cells() const { return elements; }
    std::uint64_t CellCount() const { return static_cast<std::uint64_t>(count); }
};

static_assert(offsetof(HostArrayObject, count) == 32);
static_assert(offsetof(HostArrayObject, elements) == 48);
static_assert(sizeof(HostArrayObject) == 64);

// A thread's share of one names table: the handle taken once, and the thread's records that use
// it plus one while the thread lists the hold. Only the thread that lists a hold adds records to
// it, so a listed hold at one user has no record and no other thread can reach it. Each on its
// own cache line, as its count changes with every record its thread makes or releases.
class alignas(zul::platform::kCacheLineSize) RecordNamesHold {
public:
    // `drop` takes the hold off its thread's list (and drops the list's share); it is called on
    // that thread only.
    RecordNamesHold(std::shared_ptr<utilRecordNames> table, void (*drop)(RecordNamesHold*))
        : table(std::move(table)), owner(ThisThread()), drop(drop) {}

    utilRecordNames* Table() const { return table.get(); }
    void AddUser() { users.fetch_add(1, std::memory_order_relaxed); }
    bool Idle() const { return users.load(std::memory_order_acquire) == 1; }
    // The last user deletes the hold, and with it the handle.
    void DropUser() {
        if (users.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
    // The list's share, dropped by the listing thread: true when it was the last, the handle is
    // released and the hold, kept, can be used again for another table by Reuse.
    bool DropListShare() {
        if (users.fetch_sub(1, std::memory_order_acq_rel) != 1) return false;
        table.reset();
        return true;
    }
    void Reuse(std::shared_ptr<utilRecordNames> newTable) {
        table = std::move(newTable);
        users.store(1, std::memory_order_relaxed);
        owner.store(ThisThread(), std::memory_order_relaxed);
    }
    // A record's share: the last record, gone on the thread that lists the hold, takes the hold
    // off the list at once.
    void DropRecord() {
        const std::int64_t before = users.fetch_sub(1, std::memory_order_acq_rel);
        if (before == 1)
            delete this;  // an orphan's last record
        else if (before == 2 && owner.load(std::memory_order_relaxed) == ThisThread())
            drop(this);
    }
    // The thread's list ends: the hold ends with its last record, wherever that goes.
    void Orphan() {
        owner.store(nullptr, std::memory_order_relaxed);
        DropUser();
    }

    // This thread's identity (the address of a thread-local byte).
    static const void* ThisThread();

private:
    std::shared_ptr<utilRecordNames> table;
    std::atomic<std::int64_t> users{1};  // records, plus one for the thread's list
    std::atomic<const void*> owner;      // the thread that lists the hold; null once it ended
    void (*drop)(RecordNamesHold*);
};

struct HostRecordBlock {
    std::atomic<std::uint64_t> references;  // cells sharing the record
    utilRecordNames* names;                 // the record's names table (the library reads it)
    RecordNamesHold* hold;                  // keeps the table alive while the record lives
    std::uint64_t reserved;                 // unused
    std::uint64_t count;                    // attribute cells
    std::uint16_t distance;                 // bytes from the block to the first attribute
    std::uint16_t padding[3];

    ~HostRecordBlock();  // drops its share of the hold

    EvCell* Cells() { return reinterpret_cast<EvCell*>(this + 1); }
    std::uint64_t CellCount() const { return count; }
};

static_assert(offsetof(HostRecordBlock, names) == 8);
static_assert(sizeof(HostRecordBlock) == 48);
static_assert(offsetof(HostRecordBlock, distance) == sizeof(HostRecordBlock) - 8,
              "the distance sits 8 bytes before the first attribute cell");

struct HostCustomObject {
    std::atomic<std::uint64_t> references;         // cells sharing the object
    void* object;                                  // the native object
    const QUON_ExternLib::CustomTypeEntry* entry;  // its type, whose destroy ends it (may be null)
};

// The object behind a function cell. Subclasses give it a body; evaluating the cell runs it.
struct HostFunctionObject {
    explicit HostFunctionObject(std::size_t arity) : arity(arity) {}
    virtual ~HostFunctionObject() = default;
    // Runs the function over the current call frame's arguments; the result is a new pooled cell.
    virtual EvCell* Evaluate() = 0;

    std::atomic<std::uint64_t> references{1};  // cells sharing the object
    const std::size_t arity;                   // arguments the function takes
};

class HostArrayCell : public QUON_Evaluator::EvValueCell {
public:
    explicit HostArrayCell(HostArrayObject* object)
        : EvValueCell(reinterpret_cast<std::uintptr_t>(object)) {}
    HostArrayObject* Object() const { return reinterpret_cast<HostArrayObject*>(word); }

    // The address of the element cell at the normalised index `arg`.
    std::uintptr_t GetElement(void* arg) override;
    void ReleaseData() override;
    void CloneData() override;
    void ToString(tString& out, bool quoted) const override;  // "[e0, e1, ...]"
};

class HostRecordCell : public QUON_Evaluator::EvValueCell {
public:
    explicit HostRecordCell(EvCell* firstAttribute)
        : EvValueCell(reinterpret_cast<std::uintptr_t>(firstAttribute)) {}
    HostRecordBlock* Block() const;
    EvCell* Attributes() const { return reinterpret_cast<EvCell*>(word); }

    void ReleaseData() override;
    void CloneData() override;
    void ToString(tString& out, bool quoted) const override;  // "{name: value, ...}"
};

class HostCustomCell : public QUON_Evaluator::EvValueCell {
public:
    explicit HostCustomCell(HostCustomObject* holder)
        : EvValueCell(reinterpret_cast<std::uintptr_t>(holder)) {}
    HostCustomObject* Holder() const { return reinterpret_cast<HostCustomObject*>(word); }

    void ReleaseData() override;
    void CloneData() override;
    void ToString(tString& out, bool quoted) const override;  // the type's own text
};

class HostFunctionCell : public QUON_Evaluator::EvValueCell {
public:
    // Takes over the object's first reference.
    explicit HostFunctionCell(HostFunctionObject* object)
        : EvValueCell(reinterpret_cast<std::uintptr_t>(object)) {}
    HostFunctionObject* Object() const { return reinterpret_cast<HostFunctionObject*>(word); }

    QUON_Evaluator::EvCell* EvaluateNewAlt() override { return Object()->Evaluate(); }
    void ReleaseData() override;
    void CloneData() override;
    void ToString(tString& out, bool quoted) const override;  // "<function of n arguments>"
};

static_assert(QUON_Evaluator::CellLayout::IsTwoWordCell<HostArrayCell>());
static_assert(QUON_Evaluator::CellLayout::IsTwoWordCell<HostRecordCell>());
static_assert(QUON_Evaluator::CellLayout::IsTwoWordCell<HostCustomCell>());
static_assert(QUON_Evaluator::CellLayout::IsTwoWordCell<HostFunctionCell>());

}  // namespace quon_host
