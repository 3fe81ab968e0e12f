#include "host/FaultyEntries.h"

#if defined(QUON_HOST_FAULTS)

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string_view>

#include "host/HostEvaluator.h"
#include "host/HostFaults.h"
#include "host/ValueEntries.h"
#include "hostabi/HostThreadWords.h"
#include "memory/ThreadCellPools.h"

namespace quon_host {

namespace {

// Entry 9 as a host would get it wrong: an evaluator of the thread, but not the one it evaluates on.
QUON_Evaluator::Evaluator* OtherEvaluator() {
    thread_local EvaluatorScope* other = nullptr;
    if (other == nullptr) {
        QUON_Evaluator::Evaluator* own = CurrentEvaluator();
        void* limit = quonHostThreadWords.stackLimit;
        other = new EvaluatorScope();  // installs itself: put the thread's own words back
        quonHostThreadWords.currentEvaluator = own;
        quonHostThreadWords.stackLimit = limit;
    }
    return &other->Get();
}

void SetInt32(EvCell* cell, std::int64_t value) {
    SetInt(cell, static_cast<std::int32_t>(value));
}

void SetFloat32(EvCell* cell, double value) {
    SetFloat(cell, static_cast<float>(value));
}

void SetStringToNul(EvCell* cell, const char* bytes, std::uint64_t length) {
    std::string_view text = bytes != nullptr ? std::string_view(bytes, length) : std::string_view();
    text = text.substr(0, text.find('\0'));
    SetString(cell, text.data(), text.size());
}

EvCell* MakeArrayNullWhenEmpty(std::uint64_t count) {
    if (count != 0) return MakeArray(count);
    return ::new (QUON_Evaluator::AllocateCell()) HostArrayCell(nullptr);
}

void MakeRecordOfCopiedNames(EvCell* cell, const std::shared_ptr<utilRecordNames>* names) {
    if (names == nullptr || *names == nullptr) return MakeRecord(cell, names);
    auto copy = utilRecordNames::Make();
    for (const auto& named : (*names)->Names()) utilRecordNames::AddName(copy, named.first.Text());
    MakeRecord(cell, &copy);
}

void PrepareCallCountingOneMore(std::uint64_t count, std::uint64_t flag) {
    PrepareCall(count, flag);
    QUON_Evaluator::Evaluator* evaluator = CurrentEvaluator();
    ++evaluator->frameSizes.back();
    --evaluator->frameLimit;
}

void EnterStackExtensionKeepingLimit() {
    void* limit = quonHostThreadWords.stackLimit;
    EnterStackExtension();
    quonHostThreadWords.stackLimit = limit;
}

void LeaveStackExtensionKeepingLimit() {
    void* limit = quonHostThreadWords.stackLimit;
    LeaveStackExtension();
    quonHostThreadWords.stackLimit = limit;
}

// The custom faults: a custom cell ends its object through a stand-in of the library's type entry,
// whose destroy is missing or calls the library's twice. Objects remember the library's destroy.
struct CustomStandIns {
    std::mutex mutex;
    std::map<const QUON_ExternLib::CustomTypeEntry*, std::unique_ptr<QUON_ExternLib::CustomTypeEntry>>
        entries;
    std::map<void*, void (*)(void*)> destroyOf;
};

CustomStandIns& StandIns() {
    static CustomStandIns* standIns = new CustomStandIns();  // lives as long as any custom cell
    return *standIns;
}

void DestroyTwice(void* object) {
    void (*destroy)(void*) = nullptr;
    {
        CustomStandIns& standIns = StandIns();
        const std::lock_guard lock(standIns.mutex);
        destroy = standIns.destroyOf.extract(object).mapped();
    }
    destroy(object);
    destroy(object);
}

void SetCustomThroughStandIn(EvCell* cell, void* object, const QUON_ExternLib::CustomTypeEntry* entry) {
    if (entry == nullptr || entry->destroy == nullptr) return SetCustom(cell, object, entry);
    CustomStandIns& standIns = StandIns();
    const QUON_ExternLib::CustomTypeEntry* standIn = nullptr;
    {
        const std::lock_guard lock(standIns.mutex);
        auto& made = standIns.entries[entry];
        if (made == nullptr) {
            made = std::make_unique<QUON_ExternLib::CustomTypeEntry>(*entry);
            made->destroy = Planted(Fault::kCustomDestroyedTwice) ? &DestroyTwice : nullptr;
        }
        if (Planted(Fault::kCustomDestroyedTwice)) standIns.destroyOf[object] = entry->destroy;
        standIn = made.get();
    }
    SetCustom(cell, object, standIn);
}

}  // namespace

void PlantTableFaults(ParentContext& table) {
    if (Planted(Fault::kSetInt32)) table.setInt = &SetInt32;
    if (Planted(Fault::kSetFloat32)) table.setFloat = &SetFloat32;
    if (Planted(Fault::kSetStringCString)) table.setString = &SetStringToNul;
    if (Planted(Fault::kEmptyArrayNull)) table.makeArray = &MakeArrayNullWhenEmpty;
    if (Planted(Fault::kRecordNamesCopied)) table.makeRecord = &MakeRecordOfCopiedNames;
    if (Planted(Fault::kFrameCount)) table.prepareCall = &PrepareCallCountingOneMore;
    if (Planted(Fault::kOtherEvaluator)) table.currentEvaluator = &OtherEvaluator;
    if (Planted(Fault::kStackLimitKept)) table.enterStackExtension = &EnterStackExtensionKeepingLimit;
    if (Planted(Fault::kStackLimitNotRestored))
        table.leaveStackExtension = &LeaveStackExtensionKeepingLimit;
    if (Planted(Fault::kCustomNeverDestroyed) || Planted(Fault::kCustomDestroyedTwice))
        table.setCustom = &SetCustomThroughStandIn;
}

}  // namespace quon_host

#endif
