// The built-in type constants, made while the module loads: the prime types, a few generic
// collection types, the signatures of the elementary operators, and tables of generic
// function, function-application and tuple types by arity.
#pragma once

#include <array>
#include <cstddef>

#include "datatypes/DataType.h"

namespace QUON_DataTypes {

extern DataType UndefinedType;
extern DataType IntType;
extern DataType FloatType;
extern DataType BoolType;
extern DataType StringType;
extern DataType DateTimeType;
extern DataType DurationType;
extern DataType LibraryType;
extern DataType MimeResourceType;
extern DataType MetaTypeType;
extern DataType XmlTagType;
extern DataType DrawingType;
extern DataType BitmapType;

}  // namespace QUON_DataTypes
