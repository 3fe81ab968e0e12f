// The static type of every cell class: the built-in prime type constants. GetStaticType hands
// out the constant's own handle; GetType, inherited by every class, a copy of it (one more
// reference).
#include "datatypes/BuiltInTypes.h"
#include "evaluator/EvStringCell.h"
#include "evaluator/PrimitiveCells.h"

namespace QUON_Evaluator {

using QUON_DataTypes::DataType;

const DataType* EvCell::GetStaticType() const {
    return &QUON_DataTypes::UndefinedType;
}
DataType EvCell::GetType() const {
    return *GetStaticType();
}

const DataType* EvIntegerCell::GetStaticType() const {
    return &QUON_DataTypes::IntType;
}

const DataType* EvFloatCell::GetStaticType() const {
    return &QUON_DataTypes::FloatType;
}

const DataType* EvBoolCell::GetStaticType() const {
    return &QUON_DataTypes::BoolType;
}

const DataType* EvDateTimeCell::GetStaticType() const {
    return &QUON_DataTypes::DateTimeType;
}

const DataType* EvStringCell::GetStaticType() const {
    return &QUON_DataTypes::StringType;
}

}  // namespace QUON_Evaluator
