// Tuple types, as a chain of nodes that each hold one element:
//
//   node(head 'a, tail) ──► node(head 'b, tail) ──► end
//
// The end is Undefined for a closed tuple (code 0x100010 on every node) and the extension, a
// type variable until bound, for an extendable one (0x100011). Binding the extension to
// another tuple appends that tuple's elements. Chains can be long (a text's tuple may hold
// thousands of elements, and bound extensions join chains), so every walk along a chain, its
// destruction included, is a loop: the stack grows with nesting only, never with length.
#pragma once

#include <cstdint>
#include <vector>

#include "datatypes/DataTypeComplex.h"

namespace QUON_DataTypes {

// Sub-types: head element, tail.
class DataTypeTuple final : public DataTypeComplex {
public:
    DataTypeTuple(std::int32_t code, DataType head, DataType tail);
    ~DataTypeTuple() override;

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
    const DataType& Head() const { return subTypes[0]; }
    DataType& Tail() { return subTypes[1]; }
    const DataType& Tail() const { return subTypes[1]; }
    // The tail when it is another node, else null.
    DataTypeTuple* Next() const;
    // Where the flattening walks go on: the next node, unless it counts no element (a last node
    // whose tail was bound to a type other than a tuple or a variable counts none).
    DataTypeTuple* Continuation() const;
};

// A chain of nodes with `code`, one per element in order, whose last tail is `end`: Undefined
// for a closed tuple, the extension for an extendable one. Null without elements or memory.
DataTypeImp* CreateTupleChain(std::int32_t code, std::vector<DataType> elements, DataType end);
// A closed tuple of n >= 1 fresh variables 'f ... 'f+n-1 (null for n = 0).
DataTypeImp* CreateTupleType(std::uint32_t n, std::uint32_t f);
// As CreateTupleType, extendable, with the extension '(f+n).
DataTypeImp* CreateTupleXType(std::uint32_t n, std::uint32_t f);

}  // namespace QUON_DataTypes
