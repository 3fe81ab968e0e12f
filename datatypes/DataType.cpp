// The handle's copy, move and binding rules, the shared handles, and the defaults of the
// virtual operations for classes that lack what is asked.
#include "datatypes/DataType.h"

#include <stdexcept>
#include <utility>

#include "datatypes/DataTypeComplex.h"
#include "datatypes/DataTypeSimple.h"
#include "platform/Invariant.h"

namespace QUON_DataTypes {

namespace {

DataTypeImp* UndefinedReference() noexcept {
    DataTypeImp* undefined = DataTypeUndefined::Instance();
    undefined->AddReference();
    return undefined;
}

DataTypeImp* CopyOf(DataTypeImp* source) {
    QUON_INVARIANT(source != nullptr, "a copy of an empty type handle (one used before it was made?)");
    if (source->IsPolymorphic()) {
        DataTypeImp* clone = source->Clone();
        return clone != nullptr ? clone : UndefinedReference();
    }
    source->AddReference();
    return source;
}

constexpr int kSharedHandleCount = 5;

// Never destroyed, so accessors stay usable while other static objects are torn down; in static
// storage, so nothing is left on the heap when the module unloads.
DataType* SharedHandles() {
    static DataType* const handles = [] {
        // The key handles share the one Int instance that the built-in IntType also holds.
        DataTypeImp* intType = SharedPrimeType(TypeCode::kInt);
        for (int i = 1; i < kSharedHandleCount; ++i) intType->AddReference();
        alignas(DataType) static unsigned char storage[kSharedHandleCount * sizeof(DataType)];
        auto* handles = reinterpret_cast<DataType*>(storage);
        ::new (static_cast<void*>(handles)) DataType();
        for (int i = 1; i < kSharedHandleCount; ++i)
            ::new (static_cast<void*>(handles + i)) DataType(intType);
        return handles;
    }();
    return handles;
}

bool IsSharedHandle(const DataType* handle) {
    const DataType* first = SharedHandles();
    return handle >= first && handle < first + kSharedHandleCount;
}

}  // namespace

DataType& GetSharedHandle(SharedHandle which) {
    return SharedHandles()[static_cast<int>(which)];
}

DataType& UndefinedHandle() {
    return GetSharedHandle(SharedHandle::kUndefined);
}

// ---- DataType ----

DataType::DataType() noexcept : imp(UndefinedReference()) {}

DataType::DataType(DataTypeImp* adopted) noexcept
    : imp(adopted != nullptr ? adopted : UndefinedReference()) {}

DataType::DataType(const DataType& other) : imp(CopyOf(other.imp)) {}

DataType::DataType(DataType&& other) noexcept : imp(other.Take()) {}

DataType::~DataType() {
    QUON_INVARIANT(imp != nullptr, "an empty type handle destroyed");
    imp->Release();
}

DataType& DataType::operator=(const DataType& other) {
    if (this == &other || imp == other.imp) return *this;
    if (IsSharedHandle(this)) throw std::logic_error("A shared type handle cannot be bound!");
    Bind(CopyOf(other.imp));
    return *this;
}

DataType& DataType::operator=(DataType&& other) {
    if (this == &other) return *this;
    if (IsSharedHandle(this)) throw std::logic_error("A shared type handle cannot be bound!");
    Bind(other.Take());
    return *this;
}

DataTypeImp* DataType::Take() noexcept {
    if (IsSharedHandle(this)) {
        // Shared handles hold shared, never polymorphic types: a copy is one more reference.
        imp->AddReference();
        return imp;
    }
    return std::exchange(imp, UndefinedReference());
}

DataType& DataType::operator=(DataTypeImp* adopted) {
    if (adopted == nullptr) adopted = UndefinedReference();
    if (IsSharedHandle(this)) {
        adopted->Release();
        throw std::logic_error("A shared type handle cannot be bound!");
    }
    Bind(adopted);
    return *this;
}

void DataType::Bind(DataTypeImp* adopted) {
    DataTypeImp* old = std::exchange(imp, adopted);
    old->Release();
    if (Check_IfReferencesType(*this)) {
        // Storing the value would make the type contain itself. The slot's owner may be kept
        // alive only by `adopted`, so nothing touches this handle after the release.
        imp = UndefinedReference();
        adopted->Release();
        throw std::runtime_error("Recursive data type detected!");
    }
}

bool DataType::Check_IfReferencesType(const DataType& handle) const {
    return ContainsSlot(*imp, &handle);
}

zul::zulStdString::tString DataType::ToString() const {
    return imp->ToString();
}

void DataType::FindMinMaxPolyTypesContinue(std::uint32_t& min, std::uint32_t& max) const {
    auto step = [&min, &max](const DataType* type) -> VisitResult {
        const std::int32_t code = type->imp->TypeCode();
        const std::uint32_t k = code < 0 ? 0u - static_cast<std::uint32_t>(code) : 0u;
        if (k == 0) return type->imp->HasSubTypes() ? kDescend : kSkip;
        if (min == 0 || min > k) min = k;
        if (max < k) max = k;
        return kSkip;
    };
    if (step(this) != kDescend) return;
    DataTypeVisitorFunction visitor([&step](DataType* type) { return step(type); });
    imp->Traverse(visitor, 0xFFFFFFFEu);
}

// ---- DataTypeImp defaults ----

void DataTypeImp::Release() noexcept {
    QUON_INVARIANT(refCount.load(std::memory_order_relaxed) != 0,
                   "a type object released more often than it was referenced");
    // A count of 1 means the caller holds the only reference: no other thread can take one,
    // so the object goes without an atomic read-modify-write.
    if (refCount.load(std::memory_order_acquire) == 1 ||
        refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete this;
    }
}

std::uint32_t DataTypeImp::GetPolyConstraint() const {
    return 0;
}

bool DataTypeImp::IsExternal() const {
    return false;
}

std::int32_t DataTypeImp::Compare(const DataTypeImp& other) const {
    return CompareDefault(other);
}

std::int32_t DataTypeImp::CompareDefault(const DataTypeImp& other) const {
    if (typeCode != other.typeCode) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(typeCode) -
                                         static_cast<std::uint32_t>(other.typeCode));
    }
    if (!HasSubTypes()) return 0;
    std::vector<DataType*> mine;
    std::vector<DataType*> theirs;
    GetSubTypes(mine);
    other.GetSubTypes(theirs);
    if (mine.size() != theirs.size()) {
        return static_cast<std::int32_t>(mine.size()) - static_cast<std::int32_t>(theirs.size());
    }
    for (std::size_t i = 0; i < mine.size(); ++i) {
        const std::int32_t result = (*mine[i])->Compare(**theirs[i]);
        if (result != 0) return result;
    }
    return 0;
}

void DataTypeImp::GetSubTypes(std::vector<DataType*>& subTypes) const {
    DataTypeVisitorFunction collect([&subTypes](DataType* subType) -> VisitResult {
        subTypes.push_back(subType);
        return kSkip;
    });
    // The walk only reads; it is not const because visitors may bind the slots they visit.
    const_cast<DataTypeImp*>(this)->Traverse(collect, 0);
}

DataType& DataTypeImp::GetElementType() {
    return UndefinedHandle();
}

DataType& DataTypeImp::GetKeyType() {
    return UndefinedHandle();
}

DataType& DataTypeImp::GetInstanceType() {
    return UndefinedHandle();
}

DataType& DataTypeImp::GetReferencedType() {
    return UndefinedHandle();
}

std::uint32_t DataTypeImp::GetArgumentCount() const {
    return 0xFFFFFFFFu;
}

DataType& DataTypeImp::GetFunctionSubType(std::uint32_t) {
    return UndefinedHandle();
}

std::int32_t DataTypeImp::GetTupleSize() const {
    return -1;
}

DataType& DataTypeImp::GetTupleElement(std::uint32_t) {
    return UndefinedHandle();
}

DataType& DataTypeImp::GetTupleRest(std::uint32_t) {
    return UndefinedHandle();
}

DataType& DataTypeImp::GetTupleExtension() {
    return UndefinedHandle();
}

DataTypeImp* DataTypeImp::FlattenRecord() const {
    return nullptr;
}

DataType* DataTypeImp::FindAttribute(std::string_view) {
    return nullptr;
}

DataType* DataTypeImp::GetRecordExtension() {
    return nullptr;
}

void DataTypeImp::CollectAttributes(AttributeMap&, DataType&) const {}

void DataTypeImp::CollectAttributeTexts(AttributeTextMap&, zul::zulStdString::tString& extension) const {
    extension = ToString();
}

void DataTypeImp::CollectAttributeNames(AttributeNameSet&) const {}

void* DataTypeImp::GetAuxiliaryPointer() const {
    return nullptr;
}

DataType& DataTypeImp::GetAuxiliaryType() {
    return UndefinedHandle();
}

bool DataTypeImp::Traverse(DataTypeVisitor&, std::uint32_t) {
    return true;
}

bool DataTypeImp::AllSubTypes(const SubTypePredicate&) const {
    return true;
}

}  // namespace QUON_DataTypes
