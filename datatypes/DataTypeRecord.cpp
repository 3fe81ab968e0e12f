#include "datatypes/DataTypeRecord.h"

#include <new>

#include "datatypes/DataTypeCodes.h"
#include "datatypes/DataTypeSimple.h"

namespace QUON_DataTypes {

using zul::zulStdString::tString;

DataTypeRecord::DataTypeRecord(std::int32_t code) : DataTypeComplex(code, MoveSubTypes(DataType())) {}

DataTypeRecord::DataTypeRecord(std::int32_t code, AttributeMap attributes)
    : DataTypeComplex(code, MoveSubTypes(DataType())), attributes(std::move(attributes)) {
    if (code != TypeCode::kExtendableRecord) return;
    std::uint32_t min = 0;
    std::uint32_t max = 0;
    AddReference();  // the temporary handle below gives this reference back
    DataType(this).FindMinMaxPolyTypesContinue(min, max);
    Extension() = CreateTypeVariable(max + 1);
}

DataTypeImp* DataTypeRecord::Clone() const {
    auto* clone = new (std::nothrow) DataTypeRecord(TypeCode());
    if (clone == nullptr) return nullptr;
    for (const auto& [name, type] : attributes) clone->attributes.emplace(name, type);
    clone->subTypes[0] = DataType(Extension());
    return clone;
}

DataType* DataTypeRecord::FindAttribute(std::string_view name) {
    const auto found = attributes.find(name);
    if (found != attributes.end()) return &found->second;
    return Extension()->HasSubTypes() ? Extension()->FindAttribute(name) : nullptr;
}

DataType* DataTypeRecord::GetRecordExtension() {
    if (TypeCode() != TypeCode::kExtendableRecord) return nullptr;
    return Extension()->TypeCode() < 0 ? &Extension() : Extension()->GetRecordExtension();
}

void DataTypeRecord::CollectAttributes(AttributeMap& collected, DataType& extension) const {
    for (const auto& [name, type] : attributes) collected.try_emplace(name, type);
    if (TypeCode::IsRecordCode(Extension()->TypeCode())) {
        Extension()->CollectAttributes(collected, extension);
    } else if (extension.Get() != Extension().Get()) {
        extension = Extension();
    }
}

void DataTypeRecord::CollectAttributeTexts(AttributeTextMap& texts, tString& extension) const {
    for (const auto& [name, type] : attributes) {
        if (texts.find(name) == texts.end()) texts.emplace(name, type->ToString());
    }
    if (Extension()->HasSubTypes()) {
        Extension()->CollectAttributeTexts(texts, extension);
    } else if (TypeCode() != TypeCode::kExtendableRecord) {
        extension = tString("Record[]");
    } else {
        extension = Extension()->ToString();
    }
}

void DataTypeRecord::CollectAttributeNames(AttributeNameSet& names) const {
    for (const auto& entry : attributes) names.insert(entry.first);
    if (Extension()->HasSubTypes()) Extension()->CollectAttributeNames(names);
}

DataTypeImp* DataTypeRecord::FlattenRecord() const {
    if (TypeCode() != TypeCode::kExtendableRecord || Extension()->TypeCode() < 0) return nullptr;
    AttributeMap collected;
    DataType end;
    CollectAttributes(collected, end);
    if (end->TypeCode() >= 0) return new (std::nothrow) DataTypeExactRecord(std::move(collected));
    auto* flat = new (std::nothrow) DataTypeExtendableRecord(std::move(collected));
    if (flat != nullptr) {
        flat->subTypes[0] = CreateTypeVariable(0u - static_cast<std::uint32_t>(end->TypeCode()));
    }
    return flat;
}

std::int32_t DataTypeRecord::Compare(const DataTypeImp& other) const {
    if (TypeCode() != other.TypeCode()) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(TypeCode()) -
                                         static_cast<std::uint32_t>(other.TypeCode()));
    }
    const auto* record = dynamic_cast<const DataTypeRecord*>(&other);
    if (record == nullptr) return CompareDefault(other);
    // Lookups follow bound extensions; they only read.
    auto* self = const_cast<DataTypeRecord*>(this);
    auto* that = const_cast<DataTypeRecord*>(record);
    AttributeNameSet names;
    CollectAttributeNames(names);
    record->CollectAttributeNames(names);
    for (const tString& name : names) {
        const DataType* mine = self->FindAttribute(name.Text());
        const DataType* theirs = that->FindAttribute(name.Text());
        if (mine == nullptr || theirs == nullptr) return mine != nullptr ? 1 : -1;
        const std::int32_t result = (*mine)->Compare(**theirs);
        if (result != 0) return result;
    }
    if (TypeCode() != TypeCode::kExtendableRecord) return 0;
    const DataType* mine = self->GetRecordExtension();
    const DataType* theirs = that->GetRecordExtension();
    if (mine != nullptr && theirs != nullptr) return (*mine)->Compare(**theirs);
    // Only this one open: 1. Otherwise -1, also when both chains of bound extensions end
    // closed: such records never compare equal, not even to themselves.
    return mine != nullptr ? 1 : -1;
}

bool DataTypeRecord::AllSubTypes(const SubTypePredicate& predicate) const {
    for (const auto& entry : attributes) {
        if (!predicate(entry.second)) return false;
    }
    if (Extension()->HasSubTypes()) return Extension()->AllSubTypes(predicate);
    if (Extension()->TypeCode() == TypeCode::kUndefined) return true;
    return predicate(Extension());
}

bool DataTypeRecord::Traverse(DataTypeVisitor& visitor, std::uint32_t depth) {
    for (auto& entry : attributes) {
        if (!TraverseStep(entry.second, visitor, depth)) return false;
    }
    if (Extension()->HasSubTypes()) return Extension()->Traverse(visitor, depth);
    if (Extension()->TypeCode() == TypeCode::kUndefined) return true;
    return TraverseStep(Extension(), visitor, depth);
}

bool DataTypeRecord::IsEssentiallyNonPolymorphic() const {
    for (const auto& entry : attributes) {
        if (!entry.second->IsEssentiallyNonPolymorphic()) return false;
    }
    return Extension()->HasSubTypes() ? Extension()->IsEssentiallyNonPolymorphic() : true;
}

tString DataTypeRecord::ToString() const {
    AttributeTextMap texts;
    tString extension;
    CollectAttributeTexts(texts, extension);
    tString list;
    bool first = true;
    for (const auto& [name, text] : texts) {
        if (!first) list.Append(", ");
        first = false;
        list.Append(name).Append(":").Append(text);
    }
    if (TypeCode() != TypeCode::kExtendableRecord) {
        return std::move(tString("Record[").Append(list).Append("]"));
    }
    return std::move(tString("RecordX[").Append(list).Append("][").Append(extension).Append("]"));
}

DataTypeExactRecord::DataTypeExactRecord(AttributeMap attributes)
    : DataTypeRecord(TypeCode::kExactRecord, std::move(attributes)) {}

DataTypeExtendableRecord::DataTypeExtendableRecord(AttributeMap attributes)
    : DataTypeRecord(TypeCode::kExtendableRecord, std::move(attributes)) {}

DataTypeEmptyRecord::DataTypeEmptyRecord() : DataTypeRecord(TypeCode::kEmptyRecord) {}

tString DataTypeEmptyRecord::ToString() const {
    return tString("Record[]");
}

}  // namespace QUON_DataTypes
