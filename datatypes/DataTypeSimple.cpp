#include "datatypes/DataTypeSimple.h"

#include <new>

#include "datatypes/ExternalTypeRegistry.h"
#include "datatypes/TypeNameTable.h"

namespace QUON_DataTypes {

using zul::zulStdString::tString;

tString PrimeTypeName(std::int32_t code) {
    return tString(TypeName(code));
}

DataTypeImp* DataTypeShared::Clone() const {
    auto* self = const_cast<DataTypeShared*>(this);
    self->AddReference();
    return self;
}

DataTypeImp* SharedPrimeType(std::int32_t code) {
    using namespace TypeCode;
    switch (code) {
        case kBool:
            return dtcPrimeDataType<kBool>::Instance();
        case kInt:
            return dtcPrimeDataType<kInt>::Instance();
        case kFloat:
            return dtcPrimeDataType<kFloat>::Instance();
        case kString:
            return dtcPrimeDataType<kString>::Instance();
        case kLibrary:
            return dtcPrimeDataType<kLibrary>::Instance();
        case kDateTime:
            return dtcPrimeDataType<kDateTime>::Instance();
        case kDuration:
            return dtcPrimeDataType<kDuration>::Instance();
        case kMimeResource:
            return dtcPrimeDataType<kMimeResource>::Instance();
        case kMetaType:
            return dtcPrimeDataType<kMetaType>::Instance();
        case kXmlTag:
            return dtcPrimeDataType<kXmlTag>::Instance();
        case kDrawing:
            return dtcPrimeDataType<kDrawing>::Instance();
        case kBitmap:
            return dtcPrimeDataType<kBitmap>::Instance();
        default:
            return nullptr;
    }
}

DataTypeUndefined* DataTypeUndefined::Instance() {
    alignas(DataTypeUndefined) static unsigned char storage[sizeof(DataTypeUndefined)];  // never destroyed
    static DataTypeUndefined* const instance = ::new (static_cast<void*>(storage)) DataTypeUndefined();
    return instance;
}

tString DataTypeUndefined::ToString() const {
    return tString("Undefined");
}

tString DataTypePurePolymorphic::ToString() const {
    const std::uint32_t k = 0u - static_cast<std::uint32_t>(TypeCode());
    return tString("'").Append(std::to_string(k));
}

std::int32_t DataTypePurePolymorphic::Compare(const DataTypeImp& other) const {
    // Variables order before every other type, and among themselves by ascending index.
    if (other.TypeCode() >= 0) return TypeCode();
    const std::int32_t byIndex = static_cast<std::int32_t>(static_cast<std::uint32_t>(other.TypeCode()) -
                                                           static_cast<std::uint32_t>(TypeCode()));
    if (byIndex != 0) return byIndex;
    return static_cast<std::int32_t>(constraint - other.GetPolyConstraint());
}

DataTypeImp* DataTypePurePolymorphic::Clone() const {
    return new (std::nothrow) DataTypePurePolymorphic(TypeCode(), constraint);
}

DataTypeImp* CreateTypeVariable(std::uint32_t k, std::uint32_t constraint) {
    return new (std::nothrow) DataTypePurePolymorphic(static_cast<std::int32_t>(0u - k), constraint);
}

tString DataTypeExternal::ToString() const {
    return ExternalTypeRegistry::Instance().NameOf(TypeCode());
}

}  // namespace QUON_DataTypes
