// A reference to a type being defined recursively. Sub-types: the referenced type.
#pragma once

#include "datatypes/DataTypeComplex.h"

namespace QUON_DataTypes {

class DataTypeRecursiveReference final : public DataTypeComplex {
public:
    explicit DataTypeRecursiveReference(DataType referenced);
    zul::zulStdString::tString ToString() const override;
    DataTypeImp* Clone() const override;
    DataType& GetReferencedType() override { return subTypes[0]; }
};

}  // namespace QUON_DataTypes
