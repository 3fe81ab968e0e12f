// The base of every type with sub-types: collections, combined prime types, functions,
// recursive references, tuples and records. The sub-type handles are owned by the object; what
// each position means depends on the class.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "datatypes/DataType.h"

namespace QUON_DataTypes {

class DataTypeComplex : public DataTypeImp {
public:
    bool HasSubTypes() const override { return true; }
    bool IsFullyDefined() const override;
    bool IsPolymorphic() const override;
    bool IsEssentiallyNonPolymorphic() const override;
    bool Traverse(DataTypeVisitor& visitor, std::uint32_t depth) override;
    bool AllSubTypes(const SubTypePredicate& predicate) const override;

    std::vector<DataType>& SubTypes() noexcept { return subTypes; }
    const std::vector<DataType>& SubTypes() const noexcept { return subTypes; }

    // One step of a walk: visit `slot`, descending into it when asked and depth allows.
    static bool TraverseStep(DataType& slot, DataTypeVisitor& visitor, std::uint32_t depth);

protected:
    DataTypeComplex(std::int32_t code, std::vector<DataType> subTypes) noexcept
        : DataTypeImp(code), subTypes(std::move(subTypes)) {}
    // Copies of this object's sub-types, for Clone (polymorphic ones are cloned).
    std::vector<DataType> CopySubTypes() const { return subTypes; }

    std::vector<DataType> subTypes;  // the sub-type slots, owned
};

// A sub-type list built by moving the given handles in (an initializer list would copy them).
template <class... Types>
std::vector<DataType> MoveSubTypes(Types&&... types) {
    std::vector<DataType> list;
    list.reserve(sizeof...(Types));
    (list.push_back(std::move(types)), ...);
    return list;
}

// True when `slot` is one of the handles reachable from `type` (sub-types, record attributes
// and everything below them, terminators and extensions included).
bool ContainsSlot(const DataTypeImp& type, const DataType* slot);

}  // namespace QUON_DataTypes
