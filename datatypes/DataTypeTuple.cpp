#include "datatypes/DataTypeTuple.h"

#include <new>

#include "datatypes/DataTypeCodes.h"
#include "datatypes/DataTypeSimple.h"

namespace QUON_DataTypes {

using zul::zulStdString::tString;

namespace {

// The tail ends the chain: Undefined for a closed tuple, a variable for an open extension.
bool EndsChain(const DataType& tail) {
    return tail->TypeCode() <= 0;
}

DataTypeImp* CreateChain(std::int32_t code, std::uint32_t n, std::uint32_t f) {
    if (n < 1) return nullptr;
    DataType tail;
    if (n >= 2) {
        tail = CreateChain(code, n - 1, f + 1);
    } else if (code == TypeCode::kTupleX) {
        tail = CreateTypeVariable(f + 1);
    }
    return new (std::nothrow) DataTypeTuple(code, DataType(CreateTypeVariable(f)), std::move(tail));
}

}  // namespace

DataTypeTuple::DataTypeTuple(std::int32_t code, DataType head, DataType tail)
    : DataTypeComplex(code, MoveSubTypes(head, tail)) {}

DataTypeImp* DataTypeTuple::Clone() const {
    return new (std::nothrow) DataTypeTuple(TypeCode(), subTypes[0], subTypes[1]);
}

std::int32_t DataTypeTuple::GetTupleSize() const {
    return EndsChain(Tail()) ? 1 : 1 + Tail()->GetTupleSize();
}

DataType& DataTypeTuple::GetTupleElement(std::uint32_t i) {
    if (i == 0) return Head();
    return EndsChain(Tail()) ? UndefinedHandle() : Tail()->GetTupleElement(i - 1);
}

DataType& DataTypeTuple::GetTupleRest(std::uint32_t i) {
    if (i == 1) return Tail();
    if (i == 0 || EndsChain(Tail())) return UndefinedHandle();
    return Tail()->GetTupleRest(i - 1);
}

DataType& DataTypeTuple::GetTupleExtension() {
    if (TypeCode() != TypeCode::kTupleX) return UndefinedHandle();
    return Tail()->TypeCode() < 0 ? Tail() : Tail()->GetTupleExtension();
}

bool DataTypeTuple::AllSubTypes(const SubTypePredicate& predicate) const {
    if (!predicate(subTypes[0])) return false;
    if (Tail()->GetTupleSize() > 0) return Tail()->AllSubTypes(predicate);
    if (Tail()->TypeCode() == TypeCode::kUndefined) return true;
    return predicate(Tail());
}

bool DataTypeTuple::Traverse(DataTypeVisitor& visitor, std::uint32_t depth) {
    if (!TraverseStep(Head(), visitor, depth)) return false;
    if (Tail()->GetTupleSize() >= 1) return Tail()->Traverse(visitor, depth);
    if (Tail()->TypeCode() == TypeCode::kUndefined) return true;
    return TraverseStep(Tail(), visitor, depth);
}

bool DataTypeTuple::IsEssentiallyNonPolymorphic() const {
    auto* self = const_cast<DataTypeTuple*>(this);
    const std::int32_t n = GetTupleSize();
    for (std::int32_t i = 0; i < n; ++i) {
        if (!self->GetTupleElement(static_cast<std::uint32_t>(i))->IsEssentiallyNonPolymorphic()) {
            return false;
        }
    }
    return true;
}

tString DataTypeTuple::ToString() const {
    auto* self = const_cast<DataTypeTuple*>(this);
    const std::int32_t n = GetTupleSize();
    tString list;
    for (std::int32_t i = 0; i < n; ++i) {
        if (i > 0) list.Append(", ");
        list.Append(self->GetTupleElement(static_cast<std::uint32_t>(i))->ToString());
    }
    const DataTypeImp* extension = UndefinedHandle().Get();
    if (TypeCode() == TypeCode::kTupleX) {
        extension = Tail()->TypeCode() < 0 ? Tail().Get() : Tail()->GetTupleExtension().Get();
    }
    if (extension->TypeCode() < 0) {
        return std::move(
            tString("TupleX[").Append(list).Append("][").Append(extension->ToString()).Append("]"));
    }
    return std::move(tString("Tuple[").Append(list).Append("]"));
}

DataTypeImp* CreateTupleType(std::uint32_t n, std::uint32_t f) {
    return CreateChain(TypeCode::kTuple, n, f);
}

DataTypeImp* CreateTupleXType(std::uint32_t n, std::uint32_t f) {
    return CreateChain(TypeCode::kTupleX, n, f);
}

}  // namespace QUON_DataTypes
