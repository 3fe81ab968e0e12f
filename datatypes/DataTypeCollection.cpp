#include "datatypes/DataTypeCollection.h"

#include <new>

#include "datatypes/DataTypeSimple.h"

namespace QUON_DataTypes {

using zul::zulStdString::tString;

namespace {

// name "[" A "]" "[" B "]" ...
template <class... Parts>
tString Bracketed(const char* name, const Parts&... parts) {
    tString text(name);
    ((text.Append("[").Append(parts->ToString()).Append("]")), ...);
    return text;
}

DataType Variable(std::uint32_t k, std::int32_t constraint) {
    return DataType(CreateTypeVariable(k, static_cast<std::uint32_t>(constraint)));
}

}  // namespace

DataTypeList::DataTypeList(DataType element) : DataTypeCollection(TypeCode::kList, MoveSubTypes(element)) {}

tString DataTypeList::ToString() const {
    return Bracketed("List", subTypes[0]);
}

DataTypeImp* DataTypeList::Clone() const {
    return new (std::nothrow) DataTypeList(subTypes[0]);
}

DataTypeArray::DataTypeArray(DataType element)
    : DataTypeCollection(TypeCode::kArray, MoveSubTypes(element)) {}

tString DataTypeArray::ToString() const {
    return Bracketed("Array", subTypes[0]);
}

DataTypeImp* DataTypeArray::Clone() const {
    return new (std::nothrow) DataTypeArray(subTypes[0]);
}

DataTypeMap::DataTypeMap(DataType key, DataType value)
    : DataTypeCollection(TypeCode::kMap, MoveSubTypes(value, key)) {}

DataTypeMap::DataTypeMap(std::vector<DataType> valueAndKey) noexcept
    : DataTypeCollection(TypeCode::kMap, std::move(valueAndKey)) {}

tString DataTypeMap::ToString() const {
    return Bracketed("Map", subTypes[1], subTypes[0]);
}

DataTypeImp* DataTypeMap::Clone() const {
    return new (std::nothrow) DataTypeMap(CopySubTypes());
}

DataTypeSequence::DataTypeSequence(DataType element, DataType instance)
    : DataTypeAbstractCollection(TypeCode::kSequence, MoveSubTypes(element, instance)) {}

tString DataTypeSequence::ToString() const {
    return Bracketed("Sequence", subTypes[1], subTypes[0]);
}

DataTypeImp* DataTypeSequence::Clone() const {
    return new (std::nothrow) DataTypeSequence(subTypes[0], subTypes[1]);
}

DataTypeSequenceStr::DataTypeSequenceStr(DataType element, DataType instance)
    : DataTypeAbstractCollection(TypeCode::kSequenceStr, MoveSubTypes(element, instance)) {}

tString DataTypeSequenceStr::ToString() const {
    return Bracketed("SequenceStr", subTypes[1], subTypes[0]);
}

DataTypeImp* DataTypeSequenceStr::Clone() const {
    return new (std::nothrow) DataTypeSequenceStr(subTypes[0], subTypes[1]);
}

DataTypeIndexable::DataTypeIndexable(DataType element, DataType instance, DataType key)
    : DataTypeAbstractCollection(TypeCode::kIndexable, MoveSubTypes(element, instance, key)) {}

tString DataTypeIndexable::ToString() const {
    return Bracketed("Indexable", subTypes[1], subTypes[2], subTypes[0]);
}

DataTypeImp* DataTypeIndexable::Clone() const {
    return new (std::nothrow) DataTypeIndexable(subTypes[0], subTypes[1], subTypes[2]);
}

DataTypeImp* CreateSequenceType(std::uint32_t k, DataType element) {
    return new (std::nothrow) DataTypeSequence(std::move(element), Variable(k, TypeCode::kSequence));
}

DataTypeImp* CreateSequenceStrType(std::uint32_t k, DataType element) {
    return new (std::nothrow) DataTypeSequenceStr(std::move(element), Variable(k, TypeCode::kSequenceStr));
}

DataTypeImp* CreateIndexableType(std::uint32_t k, DataType key, DataType element) {
    return new (std::nothrow)
        DataTypeIndexable(std::move(element), Variable(k, TypeCode::kIndexable), std::move(key));
}

}  // namespace QUON_DataTypes
