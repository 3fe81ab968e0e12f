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
    // The last sub-type is followed by the loop, not by a call: along a tuple chain the tail is
    // the last sub-type, so the stack grows with nesting only.
    for (const DataTypeImp* current = &type;;) {
        auto& mutableType = const_cast<DataTypeImp&>(*current);
        // Only complex classes have sub-types; the one leaf-like complex type, a combined type
        // narrowed to one prime, still has its instance slot.
        if (!current->HasSubTypes()) return &mutableType.GetInstanceType() == slot;
        if (TypeCode::IsRecordCode(current->TypeCode())) {
            if (const auto* record = dynamic_cast<const DataTypeRecord*>(current)) {
                for (const auto& entry : record->Attributes()) {
                    if (&entry.second == slot || ContainsSlot(*entry.second, slot)) return true;
                }
            }
        }
        const auto& subTypes = static_cast<const DataTypeComplex*>(current)->SubTypes();
        if (subTypes.empty()) return false;
        for (std::size_t i = 0; i + 1 < subTypes.size(); ++i) {
            if (&subTypes[i] == slot || ContainsSlot(*subTypes[i], slot)) return true;
        }
        if (&subTypes.back() == slot) return true;
        current = subTypes.back().Get();
    }
}

}  // namespace QUON_DataTypes
