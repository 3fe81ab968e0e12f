// Collection types. Concrete: List, Array and Map. Abstract (a set of collection kinds, with an
// instance variable that inference binds to the concrete kind): Sequence (List or Array),
// SequenceStr (List, Array or String) and Indexable (Map, List, Array or String).
#pragma once

#include <cstdint>

#include "datatypes/DataTypeCodes.h"
#include "datatypes/DataTypeComplex.h"

namespace QUON_DataTypes {

class DataTypeCollection : public DataTypeComplex {
public:
    zul::zulStdString::tString ToString() const override = 0;
    DataTypeImp* Clone() const override = 0;
    DataType& GetElementType() override { return subTypes[0]; }

protected:
    using DataTypeComplex::DataTypeComplex;
};

// Sub-types: element.
class DataTypeList final : public DataTypeCollection {
public:
    explicit DataTypeList(DataType element);
    zul::zulStdString::tString ToString() const override;
    DataTypeImp* Clone() const override;
    DataType& GetKeyType() override { return GetSharedHandle(SharedHandle::kListKey); }
};

// Sub-types: element.
class DataTypeArray final : public DataTypeCollection {
public:
    explicit DataTypeArray(DataType element);
    zul::zulStdString::tString ToString() const override;
    DataTypeImp* Clone() const override;
    DataType& GetKeyType() override { return GetSharedHandle(SharedHandle::kArrayKey); }
};

// Sub-types: value, key. Written Map[key][value].
class DataTypeMap final : public DataTypeCollection {
public:
    DataTypeMap(DataType key, DataType value);
    zul::zulStdString::tString ToString() const override;
    DataTypeImp* Clone() const override;
    DataType& GetKeyType() override { return subTypes[1]; }

private:
    explicit DataTypeMap(std::vector<DataType> valueAndKey) noexcept;
};

class DataTypeAbstractCollection : public DataTypeComplex {
public:
    zul::zulStdString::tString ToString() const override = 0;
    DataTypeImp* Clone() const override = 0;
    DataType& GetElementType() override { return subTypes[0]; }
    DataType& GetInstanceType() override { return subTypes[1]; }

protected:
    using DataTypeComplex::DataTypeComplex;
};

// Sub-types: element, instance variable.
class DataTypeSequence final : public DataTypeAbstractCollection {
public:
    DataTypeSequence(DataType element, DataType instance);
    zul::zulStdString::tString ToString() const override;
    DataTypeImp* Clone() const override;
    DataType& GetKeyType() override { return GetSharedHandle(SharedHandle::kSequenceKey); }
};

// Sub-types: element, instance variable.
class DataTypeSequenceStr final : public DataTypeAbstractCollection {
public:
    DataTypeSequenceStr(DataType element, DataType instance);
    zul::zulStdString::tString ToString() const override;
    DataTypeImp* Clone() const override;
    DataType& GetKeyType() override { return GetSharedHandle(SharedHandle::kSequenceStrKey); }
};

// Sub-types: element, instance variable, key.
class DataTypeIndexable final : public DataTypeAbstractCollection {
public:
    DataTypeIndexable(DataType element, DataType instance, DataType key);
    zul::zulStdString::tString ToString() const override;
    DataTypeImp* Clone() const override;
    DataType& GetKeyType() override { return subTypes[2]; }
};

// Each makes the instance variable 'k constrained to the class's code. Null when out of memory.
DataTypeImp* CreateSequenceType(std::uint32_t k, DataType element);
DataTypeImp* CreateSequenceStrType(std::uint32_t k, DataType element);
DataTypeImp* CreateIndexableType(std::uint32_t k, DataType key, DataType element);

}  // namespace QUON_DataTypes
