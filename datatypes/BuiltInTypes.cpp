// The constants are built in this file's definition order, all with the same load priority.
#include "datatypes/BuiltInTypes.h"

#include "datatypes/DataTypeCodes.h"
#include "datatypes/DataTypeSimple.h"
#include "platform/LoadOrder.h"

#define QUON_TYPE_CONSTANT __attribute__((init_priority(QUON_LOAD_ORDER_TYPE_CONSTANTS)))

namespace QUON_DataTypes {

namespace {

// A new reference to a shared instance.
DataTypeImp* Shared(DataTypeImp* instance) {
    instance->AddReference();
    return instance;
}

DataTypeImp* Prime(std::int32_t code) {
    return Shared(SharedPrimeType(code));
}

}  // namespace

using namespace TypeCode;

QUON_TYPE_CONSTANT DataType UndefinedType;
QUON_TYPE_CONSTANT DataType IntType(Prime(kInt));
QUON_TYPE_CONSTANT DataType FloatType(Prime(kFloat));
QUON_TYPE_CONSTANT DataType BoolType(Prime(kBool));
QUON_TYPE_CONSTANT DataType StringType(Prime(kString));
QUON_TYPE_CONSTANT DataType DateTimeType(Prime(kDateTime));
QUON_TYPE_CONSTANT DataType DurationType(Prime(kDuration));
QUON_TYPE_CONSTANT DataType MetaTypeType(Prime(kMetaType));
QUON_TYPE_CONSTANT DataType MimeResourceType(Prime(kMimeResource));
QUON_TYPE_CONSTANT DataType XmlTagType(Prime(kXmlTag));
QUON_TYPE_CONSTANT DataType DrawingType(Prime(kDrawing));
QUON_TYPE_CONSTANT DataType BitmapType(Prime(kBitmap));
QUON_TYPE_CONSTANT DataType LibraryType(Prime(kLibrary));

}  // namespace QUON_DataTypes
