// Tuple types, as a chain of nodes that each hold one element:
//
//   node(head 'a, tail) ──► node(head 'b, tail) ──► end
//
// The end is Undefined for a closed tuple (code 0x100010 on every node) and the extension, a
// type variable until bound, for an extendable one (0x100011). Binding the extension to
// another tuple appends that tuple's elements.
#pragma once

#include <cstdint>

#include "datatypes/DataTypeComplex.h"

namespace QUON_DataTypes {

// Sub-types: head element, tail.
class DataTypeTuple final : public DataTypeComplex {
public:
    DataTypeTuple(std::int32_t code, DataType head, DataType tail);

    zul::zulStdString::tString ToString() const override;
    DataTypeImp* Clone() const override;
    bool IsEssentiallyNonPolymorphic() const override;
    bool Traverse(DataTypeVisitor& visitor, std::uint32_t depth) override;
    bool AllSubTypes(const SubTypePredicate& predicate) const override;

    std::int32_t GetTupleSize() const override;
    DataType& GetTupleElement(std::uint32_t i) override;
    DataType& GetTupleRest(std::uint32_t i) override;  // 1: this node's tail slot
    DataType& GetTupleExtension() override;            // the slot of the open extension

private:
    DataType& Head() { return subTypes[0]; }
    DataType& Tail() { return subTypes[1]; }
    const DataType& Tail() const { return subTypes[1]; }
};

// A closed tuple of n >= 1 fresh variables 'f ... 'f+n-1 (null for n = 0).
DataTypeImp* CreateTupleType(std::uint32_t n, std::uint32_t f);
// As CreateTupleType, extendable, with the extension '(f+n).
DataTypeImp* CreateTupleXType(std::uint32_t n, std::uint32_t f);

}  // namespace QUON_DataTypes
