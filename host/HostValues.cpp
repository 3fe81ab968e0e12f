#include "host/HostValues.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/EvException.h"
#include "diagnostics/Exception.h"
#include "evaluator/CellClassTable.h"
#include "evaluator/RecordView.h"
#include "evaluator/fArrayOfPrimitiveValues.h"
#include "host/LibraryBoundary.h"
#include "memory/InterModuleProxy.h"

namespace quon_host {

using zul::zulStdString::tString;

namespace {

// "the custom type 'Gadget''s toText": which library code a failure came from.
std::string CustomTypeCode(const QUON_ExternLib::CustomTypeEntry* entry, const char* operation) {
    const char* name = entry != nullptr ? entry->typeName : nullptr;
    return (name != nullptr ? "the custom type '" + std::string(name) + "''s " : std::string("a custom type's ")) +
           operation;
}

void AddReference(std::atomic<std::uint64_t>& references) {
    references.fetch_add(1, std::memory_order_relaxed);
}

// True when the caller dropped the last reference.
bool DropReference(std::atomic<std::uint64_t>& references) {
    return references.fetch_sub(1, std::memory_order_acq_rel) == 1;
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

void AppendQuoted(std::string& out, const EvCell& cell) {
    tString text;
    cell.ToQuotedString(text);
    out += text.Text();
}

}  // namespace

// Arrays.
std::uintptr_t HostArrayCell::GetElement(void* arg) {
    const HostArrayObject* object = Object();
    if (object == nullptr || object->count <= 0)
        throw QUON_Evaluator::EvException(QUON_Evaluator::ErrorCode::kEmptyArrayElement);
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

// Records.
HostRecordBlock::~HostRecordBlock() {
    hold->DropRecord();
}

const void* RecordNamesHold::ThisThread() {
    static thread_local const char self = 0;
    return &self;
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

// Custom objects.
void HostCustomCell::ReleaseData() {
    HostCustomObject* holder = Holder();
    word = 0;
    if (holder == nullptr || !DropReference(holder->references)) return;
    bool destroy = holder->entry != nullptr && holder->entry->destroy != nullptr;
    if (destroy)
        IntoLibraryNoThrow([&] { return CustomTypeCode(holder->entry, "destroy"); },
                           [&] { holder->entry->destroy(holder->object); });
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
    const auto where = [&] { return CustomTypeCode(holder->entry, "toText"); };
    const std::unique_ptr<zul::InterModuleProxy<std::string>, Destroyer> text(
        IntoLibrary(where, [&] { return holder->entry->toText(holder->object); }));
    if (text == nullptr) throw std::runtime_error(where() + " gave no text");
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

}  // namespace quon_host
