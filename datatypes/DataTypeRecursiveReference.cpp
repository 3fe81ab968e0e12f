#include "datatypes/DataTypeRecursiveReference.h"

#include <new>

#include "datatypes/DataTypeCodes.h"

namespace QUON_DataTypes {

DataTypeRecursiveReference::DataTypeRecursiveReference(DataType referenced)
    : DataTypeComplex(TypeCode::kRecursiveReference, MoveSubTypes(referenced)) {}

zul::zulStdString::tString DataTypeRecursiveReference::ToString() const {
    return std::move(zul::zulStdString::tString("Recursive[").Append(subTypes[0]->ToString()).Append("]"));
}

DataTypeImp* DataTypeRecursiveReference::Clone() const {
    return new (std::nothrow) DataTypeRecursiveReference(subTypes[0]);
}

}  // namespace QUON_DataTypes
