#include "HostCells.h"

#include <atomic>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "datatypes/DataTypeCodes.h"
#include "datatypes/ExternalTypeRegistry.h"
#include "evaluator/CellClassTable.h"
#include "evaluator/EvInvalidCell.h"
#include "evaluator/EvStringCell.h"
#include "evaluator/PrimitiveCells.h"
#include "evaluator/RecordView.h"
#include "evaluator/utilRecordNames.h"
#include "hostabi/LibraryDescriptor.h"
#include "memory/InterModuleProxy.h"
#include "memory/ThreadCellPools.h"

// The two words the library reads on every thread; defined here, exported by the link options.
extern "C" {
__attribute__((visibility("default"))) __thread QuonHostThreadWords quonHostThreadWords = {};

// The pooled cells the host made (carriers, callback results) come back here once the library is
// done with them: their data is released or handed over already.
__attribute__((visibility("default"))) void quonHostReturnCell(void* cell) { QUON_Evaluator::FreeCell(cell); }
}

namespace smallhost {
namespace {

namespace Code = QUON_DataTypes::TypeCode;
using QUON_Evaluator::CellClass;
using QUON_Evaluator::CellClasses;
using QUON_Evaluator::CellSlot;
using QUON_Evaluator::CellWord;
using QUON_Evaluator::utilRecordNames;
using QUON_ExternLib::CustomTypeEntry;
using Array = std::shared_ptr<ArrayValue>;
using Record = std::shared_ptr<RecordValue>;
using Opaque = std::shared_ptr<OpaqueValue>;
using Function = std::shared_ptr<FunctionValue>;

EvCell* AsCell(void* place) { return static_cast<EvCell*>(place); }

// Array object: the library reads the count at byte 32 and the element pointer at byte 48.
struct ArrayObject {
    std::atomic<std::uint64_t> refs;
    char unused1[24];
    std::int64_t count;
    std::uint64_t unused2;
    CellSlot* elements;  // points at the cells that follow the object
    std::uint64_t padding;

    static ArrayObject* From(CellWord word) { return reinterpret_cast<ArrayObject*>(word); }
    static void Free(ArrayObject* array) {
        for (std::int64_t i = 0; i < array->count; ++i) ReleaseCell(&array->elements[i]);
        ::operator delete(array);
    }
};
static_assert(offsetof(ArrayObject, count) == 32 && offsetof(ArrayObject, elements) == 48 && sizeof(ArrayObject) == 64);

// Record block; the cell's payload is attribute 0, 48 bytes in, with the distance 8 bytes before.
struct RecordBlock {
    std::atomic<std::uint64_t> refs;
    utilRecordNames* names;
    utilRecordNames::Handle handle;  // keeps the table alive as long as the record
    std::uint64_t count;
    std::uint16_t distance;
    char padding[6];

    CellSlot* Attributes() { return reinterpret_cast<CellSlot*>(this + 1); }
    static RecordBlock* From(CellWord word) { return reinterpret_cast<RecordBlock*>(word - sizeof(RecordBlock)); }
    static void Free(RecordBlock* block) {
        for (std::uint64_t i = 0; i < block->count; ++i) ReleaseCell(&block->Attributes()[i]);
        block->~RecordBlock();
        ::operator delete(block);
    }
};
static_assert(offsetof(RecordBlock, names) == 8 && offsetof(RecordBlock, distance) == 40 && sizeof(RecordBlock) == 48);

struct CustomHolder {
    std::atomic<std::uint64_t> refs;
    void* object;
    const CustomTypeEntry* entry;

    static CustomHolder* From(CellWord word) { return reinterpret_cast<CustomHolder*>(word); }
    static void Free(CustomHolder* holder) {
        if (holder->entry->destroy) holder->entry->destroy(holder->object);
        delete holder;
    }
};

// A Quon function handed to a callback row, with the row's type for it.
struct FunctionObject {
    std::atomic<std::uint64_t> refs;
    Function function;
    DataType type;
    CallSite site;

    static FunctionObject* From(CellWord word) { return reinterpret_cast<FunctionObject*>(word); }
    static void Free(FunctionObject* f) { delete f; }
};

EvCell* CallFunction(FunctionObject* f);

// One class per kind: the payload points at a counted object; copies share it.
template <class Object>
class HostCell final : public QUON_Evaluator::EvValueCell {
public:
    explicit HostCell(CellWord payload) : EvValueCell(payload) {}
    Object* Get() const { return Object::From(word); }
    void CloneData() override {
        if (word) Get()->refs.fetch_add(1, std::memory_order_relaxed);
    }
    void ReleaseData() override {
        if (!word) return;
        Object* object = Get();
        word = 0;
        if (object->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) Object::Free(object);
    }
    EvCell* EvaluateNewAlt() override {
        if constexpr (std::is_same_v<Object, FunctionObject>) return CallFunction(Get());
        return EvValueCell::EvaluateNewAlt();
    }
};
using ArrayCell = HostCell<ArrayObject>;
using RecordCell = HostCell<RecordBlock>;
using CustomCell = HostCell<CustomHolder>;
using FunctionCell = HostCell<FunctionObject>;

template <class Cell>
const void* Identity() {
    static const void* identity = [] {
        alignas(8) static unsigned char probe[16];
        return (::new (probe) Cell(0))->ClassIdentity();
    }();
    return identity;
}

const void* InvalidIdentity() {
    static const void* identity = [] {
        alignas(8) static unsigned char probe[16];
        return QUON_Evaluator::EvInvalidCell::MakeAt(probe)->ClassIdentity();
    }();
    return identity;
}

template <class Cell>
auto* ObjectOf(const EvCell& cell) {
    return cell.ClassIdentity() == Identity<Cell>() ? static_cast<const Cell&>(cell).Get() : nullptr;
}

// A share of a custom object held by a Value.
class CustomShare final : public OpaqueValue {
public:
    explicit CustomShare(CustomHolder* shared) : holder(shared) { holder->refs.fetch_add(1); }
    ~CustomShare() override {
        if (holder->refs.fetch_sub(1) == 1) CustomHolder::Free(holder);
    }
    std::string Text() const override {
        zul::InterModuleProxy<std::string>* proxy = holder->entry->toText(holder->object);
        if (!proxy) return holder->entry->typeName;
        std::string text = proxy->value;
        proxy->Destroy();  // the library's code frees what its code made
        return text;
    }
    std::string TypeName() const override { return holder->entry->typeName; }
    CustomHolder* holder;
};

ArrayObject* NewArrayObject(std::uint64_t count) {
    if (count > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        throw std::length_error("Negative array size! An array of " + std::to_string(static_cast<std::int64_t>(count)) +
                                " elements was requested.");
    if (count > (std::numeric_limits<std::size_t>::max() - sizeof(ArrayObject)) / 16) throw std::bad_alloc();
    auto* array = static_cast<ArrayObject*>(::operator new(sizeof(ArrayObject) + 16 * count));
    new (&array->refs) std::atomic<std::uint64_t>(1);
    array->count = static_cast<std::int64_t>(count);
    array->elements = reinterpret_cast<CellSlot*>(array + 1);
    for (std::uint64_t i = 0; i < count; ++i) MakeInvalidCell(&array->elements[i]);
    return array;
}

void MakeRecordAt(void* place, const utilRecordNames::Handle& names) {
    const std::size_t count = names->Size();
    void* memory = ::operator new(sizeof(RecordBlock) + 16 * count);
    auto* block = ::new (memory) RecordBlock{{1}, names.get(), names, count, sizeof(RecordBlock), {}};
    for (std::size_t i = 0; i < count; ++i) MakeInvalidCell(&block->Attributes()[i]);
    ::new (place) RecordCell(reinterpret_cast<CellWord>(block->Attributes()));
}

// The operation table's entries.
void SetInt(EvCell* cell, std::int64_t value) { ::new (cell) QUON_Evaluator::EvIntegerCell(value); }
void SetFloat(EvCell* cell, double value) { ::new (cell) QUON_Evaluator::EvFloatCell(value); }
void SetBool(EvCell* cell, std::uint64_t value) { ::new (cell) QUON_Evaluator::EvBoolCell(value); }
void SetString(EvCell* cell, const char* bytes, std::uint64_t length) {
    QUON_Evaluator::EvStringCell::MakeAt(cell, bytes ? std::string_view(bytes, length) : std::string_view());
}
void SetCustom(EvCell* cell, void* object, const CustomTypeEntry* entry) {
    CustomHolder* holder = new (std::nothrow) CustomHolder{{1}, object, entry};
    if (!holder) {
        if (entry->destroy) entry->destroy(object);  // the object is the host's from this call on
        throw std::bad_alloc();
    }
    ::new (cell) CustomCell(reinterpret_cast<CellWord>(holder));
}
void* GetCustom(EvCell* cell) {
    CustomHolder* holder = ObjectOf<CustomCell>(*cell);
    return holder ? holder->object : nullptr;
}
void MakeRecord(EvCell* cell, const utilRecordNames::Handle* names) { MakeRecordAt(cell, *names); }
EvCell* MakeArray(std::uint64_t count) {
    void* carrier = QUON_Evaluator::AllocateCell();
    try {
        ::new (carrier) ArrayCell(reinterpret_cast<CellWord>(NewArrayObject(count)));
    } catch (...) {
        QUON_Evaluator::FreeCell(carrier);
        throw;
    }
    return AsCell(carrier);
}
Evaluator* CurrentEvaluator() { return quonHostThreadWords.currentEvaluator; }

void PrepareCall(std::uint64_t count, std::uint64_t /*flag*/) {
    Evaluator& e = *quonHostThreadWords.currentEvaluator;
    CellSlot* newBase = e.stack.end - 1;  // the last argument, or the caller's top cell
    std::ptrdiff_t distance = newBase - e.frameBase;
    if (distance < 0 || distance > 255 || count > 255)
        throw std::length_error("prepareCall: a frame of " + std::to_string(count) + " cells " +
                                std::to_string(distance) + " cells above the last does not fit its bytes");
    e.frameSizes.push_back(static_cast<std::uint8_t>(distance));
    e.frameSizes.push_back(static_cast<std::uint8_t>(count));
    e.frameBase = newBase;
    e.frameLimit = newBase - count;
}

// The calling thread's stack bottom and the limits the extension entries replaced.
struct ThreadStack {
    char* low = nullptr;
    std::vector<void*> saved;
};
thread_local ThreadStack threadStack;
constexpr std::size_t kGuardRoom = 64 * 1024;  // kept below the extension's limit

void EnterStackExtension() {
    char* reserveLimit = threadStack.low + kGuardRoom;
    if (!threadStack.low || static_cast<char*>(quonHostThreadWords.stackLimit) <= reserveLimit)
        throw std::runtime_error("Stack overflow! No stack reserve is left for a deeper recursion!");
    threadStack.saved.push_back(quonHostThreadWords.stackLimit);
    quonHostThreadWords.stackLimit = reserveLimit;
}
void LeaveStackExtension() {
    if (threadStack.saved.empty()) return;
    quonHostThreadWords.stackLimit = threadStack.saved.back();
    threadStack.saved.pop_back();
}

template <int N>
void Unused() {
    std::fprintf(stderr, "small-host: the library called operation table entry %d, which it never calls\n", N);
    std::abort();
}

std::string TypeText(DataType& type) { return type.ToString().Text(); }

std::string CheckAttributes(const RecordValue& record, DataType& type) {
    QUON_DataTypes::AttributeMap attributes;
    DataType extension;
    type->CollectAttributes(attributes, extension);
    if (attributes.size() != record.names.size()) return "a record of other attributes where " + TypeText(type) + " was expected";
    for (std::size_t i = 0; i < record.names.size(); ++i) {
        auto found = attributes.find(std::string_view(record.names[i]));
        if (found == attributes.end()) return "a record with '" + record.names[i] + "' where " + TypeText(type) + " was expected";
        if (std::string inner = Mismatch(record.values[i], found->second); !inner.empty()) return inner;
    }
    return {};
}

}  // namespace

ParentContext* OperationTable() {
    static ParentContext table{&SetInt,     &SetFloat,       &Unused<2>,        &SetBool,   &SetString, &SetCustom,
                               &GetCustom,  &MakeRecord,     &MakeArray,        &CurrentEvaluator,
                               &PrepareCall, &Unused<11>,    &Unused<12>,       &Unused<13>,
                               &EnterStackExtension,         &LeaveStackExtension};
    return &table;
}

std::string Mismatch(const Value& value, DataType& type) {
    const std::int32_t code = type->TypeCode();
    auto wrong = [&] { return KindName(value) + " where " + TypeText(type) + " was expected"; };
    switch (code) {
    case Code::kInt: return value.Is<std::int64_t>() ? "" : wrong();
    case Code::kFloat: return value.Is<double>() ? "" : wrong();
    case Code::kBool: return value.Is<bool>() ? "" : wrong();
    case Code::kString: return value.Is<std::string>() ? "" : wrong();
    case Code::kArray:
        if (!value.Is<Array>()) return wrong();
        for (const Value& item : value.As<Array>()->items)
            if (std::string inner = Mismatch(item, type->GetElementType()); !inner.empty()) return inner;
        return "";
    case Code::kFunction:
        if (!value.Is<Function>()) return wrong();
        if (value.As<Function>()->params.size() != type->GetArgumentCount())
            return "a function of " + std::to_string(value.As<Function>()->params.size()) + " parameters where " +
                   TypeText(type) + " was expected";
        return "";
    }
    if (QUON_DataTypes::TypeCode::IsRecordCode(code))
        return value.Is<Record>() ? CheckAttributes(*value.As<Record>(), type) : wrong();
    if (code >= Code::kFirstExternal) {
        auto name = QUON_DataTypes::ExternalTypeRegistry::Instance().NameOf(code);
        bool fits = value.Is<Opaque>() && dynamic_cast<const CustomShare*>(value.As<Opaque>().get()) &&
                    value.As<Opaque>()->TypeName() == name.Text();
        return fits ? "" : wrong();
    }
    return "a value of the type " + TypeText(type) + ", which this host cannot make";
}

void MakeCell(void* place, const Value& value, DataType& type, const CallSite& site) {
    const std::int32_t code = type->TypeCode();
    if (code == Code::kInt) return SetInt(AsCell(place), value.As<std::int64_t>());
    if (code == Code::kFloat) return SetFloat(AsCell(place), value.As<double>());
    if (code == Code::kBool) return SetBool(AsCell(place), value.As<bool>() ? 1 : 0);
    if (code == Code::kString) {
        const std::string& text = value.As<std::string>();
        return SetString(AsCell(place), text.data(), text.size());
    }
    if (code == Code::kArray) {
        const auto& items = value.As<Array>()->items;
        ArrayObject* array = NewArrayObject(items.size());
        ::new (place) ArrayCell(reinterpret_cast<CellWord>(array));
        try {
            for (std::size_t i = 0; i < items.size(); ++i) MakeCell(&array->elements[i], items[i], type->GetElementType(), site);
        } catch (...) {
            ReleaseCell(place);
            throw;
        }
        return;
    }
    if (code == Code::kFunction) {
        auto* f = new FunctionObject{{1}, value.As<Function>(), type, site};
        ::new (place) FunctionCell(reinterpret_cast<CellWord>(f));
        return;
    }
    if (QUON_DataTypes::TypeCode::IsRecordCode(code)) {
        const RecordValue& record = *value.As<Record>();
        utilRecordNames::Handle names = utilRecordNames::Make();
        for (const auto& name : record.names) utilRecordNames::AddName(names, name);
        MakeRecordAt(place, names);
        try {
            QUON_Evaluator::RecordView view(*AsCell(place));
            for (std::size_t i = 0; i < record.names.size(); ++i)
                MakeCell(view.Find(record.names[i].c_str()), record.values[i], *type->FindAttribute(record.names[i]), site);
        } catch (...) {
            ReleaseCell(place);
            throw;
        }
        return;
    }
    // A custom object: another share of the holder.
    CustomHolder* holder = static_cast<const CustomShare&>(*value.As<Opaque>()).holder;
    holder->refs.fetch_add(1);
    ::new (place) CustomCell(reinterpret_cast<CellWord>(holder));
}

Value ToValue(const EvCell& cell) {
    const void* identity = cell.ClassIdentity();
    const auto& classes = CellClasses();
    if (identity == classes.Identity(CellClass::kInteger)) return {static_cast<std::int64_t>(cell.Word())};
    if (identity == classes.Identity(CellClass::kFloat)) return {std::bit_cast<double>(cell.Word())};
    if (identity == classes.Identity(CellClass::kBool)) return {cell.Word() != 0};
    if (identity == classes.Identity(CellClass::kString))
        return {std::string(static_cast<const QUON_Evaluator::EvStringCell&>(cell).Text())};
    if (ArrayObject* array = ObjectOf<ArrayCell>(cell)) {
        std::vector<Value> items;
        items.reserve(static_cast<std::size_t>(array->count));
        for (std::int64_t i = 0; i < array->count; ++i) items.push_back(ToValue(*AsCell(&array->elements[i])));
        return Value::Array(std::move(items));
    }
    if (ObjectOf<RecordCell>(cell)) {
        QUON_Evaluator::RecordView view(cell);
        auto record = std::make_shared<RecordValue>();
        record->names.resize(view.Names().Size());
        record->values.resize(view.Names().Size());
        for (const auto& [name, index] : view.Names().Names()) {  // attributes print in index order
            record->names[index] = name.Text();
            record->values[index] = ToValue(*view.Attribute(index));
        }
        return {record};
    }
    if (CustomHolder* holder = ObjectOf<CustomCell>(cell)) return {Opaque(std::make_shared<CustomShare>(holder))};
    if (FunctionObject* f = ObjectOf<FunctionCell>(cell)) return {f->function};
    if (identity == InvalidIdentity()) throw EvalError("the library left a value unset (an invalid cell)");
    throw EvalError("a cell of a class this host does not know");
}

void ReleaseCell(void* cell) { AsCell(cell)->ReleaseData(); }
void MakeInvalidCell(void* place) { QUON_Evaluator::EvInvalidCell::MakeAt(place); }

namespace {

// Evaluating a function cell: the arguments are in the frame prepareCall opened; the result is a
// new pooled cell of the declared result type, which the library then owns.
EvCell* CallFunction(FunctionObject* f) {
    Evaluator& e = *quonHostThreadWords.currentEvaluator;
    const std::size_t count = e.frameSizes.back();
    const std::string where = f->site.row + ": the function given as argument " + std::to_string(f->site.argument);
    if (count != f->type->GetArgumentCount())
        throw EvalError(where + " was called with " + std::to_string(count) + " arguments");
    std::vector<Value> args;  // taken before anything can push and move the stack
    for (std::size_t i = 0; i < count; ++i) args.push_back(ToValue(*AsCell(e.frameLimit + 1 + i)));
    Value result = Apply(*f->function, std::move(args), *f->site.rows);
    DataType& resultType = f->type->GetFunctionSubType(0);
    if (std::string wrong = Mismatch(result, resultType); !wrong.empty()) throw EvalError(where + " returned " + wrong);
    void* cell = QUON_Evaluator::AllocateCell();
    try {
        MakeCell(cell, result, resultType, f->site);
    } catch (...) {
        QUON_Evaluator::FreeCell(cell);
        throw;
    }
    return AsCell(cell);
}

}  // namespace

Evaluator* NewEvaluator() {
    auto* e = new Evaluator();
    e->stack.begin = static_cast<CellSlot*>(::operator new(16 * sizeof(CellSlot)));  // the library frees it with delete
    e->stack.end = e->stack.begin;
    e->stack.capacity = e->stack.begin + 16;
    MakeInvalidCell(e->PushSlot());  // a frame base always points at a cell
    e->frameBase = e->frameLimit = e->stack.begin;
    e->frameSizes = {0};
    return e;
}

void DeleteEvaluator(Evaluator* e) {
    while (e->Depth() > 0) {
        ReleaseCell(e->stack.end - 1);
        e->PopSlot();
    }
    ::operator delete(e->stack.begin);
    delete e;
}

void SetThreadStackLow(char* low) {
    threadStack.low = low;
    threadStack.saved.clear();
}
std::size_t ExtensionsEntered() { return threadStack.saved.size(); }

Checkpoint Checkpoint::Take(const Evaluator& e) {
    return {static_cast<std::ptrdiff_t>(e.Depth()), e.frameBase - e.stack.begin, e.frameLimit - e.stack.begin,
            e.frameSizes.size(), threadStack.saved.size(), quonHostThreadWords.stackLimit};
}

void Checkpoint::Restore(Evaluator& e) const {
    while (static_cast<std::ptrdiff_t>(e.Depth()) > depth) {
        ReleaseCell(e.stack.end - 1);
        e.PopSlot();
    }
    e.frameSizes.resize(frameBytes);
    e.frameBase = e.stack.begin + base;
    e.frameLimit = e.stack.begin + limit;
    threadStack.saved.resize(std::min(threadStack.saved.size(), extensions));
    quonHostThreadWords.stackLimit = stackLimit;
}

std::string Checkpoint::Differences(const Checkpoint& now) const {
    std::string out;
    auto field = [&](const char* what, auto before, auto after) {
        if (before != after)
            out += std::string(out.empty() ? "" : "; ") + what + " was " + std::to_string(before) + ", is " + std::to_string(after);
    };
    field("the value stack's depth", depth, now.depth);
    field("the frame base", base, now.base);
    field("the frame limit", limit, now.limit);
    field("the frame bytes", frameBytes, now.frameBytes);
    field("the stack extensions entered", extensions, now.extensions);
    field("the stack limit", reinterpret_cast<std::uintptr_t>(stackLimit), reinterpret_cast<std::uintptr_t>(now.stackLimit));
    return out;
}

}  // namespace smallhost
