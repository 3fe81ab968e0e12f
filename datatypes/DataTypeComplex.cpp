#include "datatypes/DataTypeComplex.h"

#include "datatypes/DataTypeCodes.h"
#include "datatypes/DataTypeRecord.h"

namespace QUON_DataTypes {

bool DataTypeComplex::IsFullyDefined() const {
    return AllSubTypes([](const DataType& subType) { return subType->IsFullyDefined(); });
}

bool DataTypeComplex::IsPolymorphic() const {
    return !AllSubTypes([](const DataType& subType) { return !subType->IsPolymorphic(); });
}

bool DataTypeComplex::IsEssentiallyNonPolymorphic() const {
    return AllSubTypes([](const DataType& subType) { return subType->IsEssentiallyNonPolymorphic(); });
}

bool DataTypeComplex::AllSubTypes(const SubTypePredicate& predicate) const {
    if (!HasSubTypes()) return true;
    for (const DataType& subType : subTypes) {
        if (!predicate(subType)) return false;
    }
    return true;
}

bool DataTypeComplex::TraverseStep(DataType& slot, DataTypeVisitor& visitor, std::uint32_t depth) {
    const VisitResult result = visitor(&slot);
    if (result == kDescend && depth > 0) return slot->Traverse(visitor, depth - 1);
    return result < kStop;
}

bool DataTypeComplex::Traverse(DataTypeVisitor& visitor, std::uint32_t depth) {
    if (!HasSubTypes()) return true;
    for (DataType& subType : subTypes) {
        if (!TraverseStep(subType, visitor, depth)) return false;
    }
    return true;
}

bool ContainsSlot(const DataTypeImp& type, const DataType* slot) {
    auto& mutableType = const_cast<DataTypeImp&>(type);
    // Only complex classes have sub-types; the one leaf-like complex type, a combined type
    // narrowed to one prime, still has its instance slot.
    if (!type.HasSubTypes()) return &mutableType.GetInstanceType() == slot;
    for (const DataType& subType : static_cast<const DataTypeComplex&>(type).SubTypes()) {
        if (&subType == slot || ContainsSlot(*subType, slot)) return true;
    }
    if (!TypeCode::IsRecordCode(type.TypeCode())) return false;
    const auto* record = dynamic_cast<const DataTypeRecord*>(&type);
    if (record == nullptr) return false;
    for (const auto& entry : record->Attributes()) {
        if (&entry.second == slot || ContainsSlot(*entry.second, slot)) return true;
    }
    return false;
}

}  // namespace QUON_DataTypes
