#include "datatypes/DataTypeCombinedPrime.h"

#include <new>

#include "datatypes/DataTypeCodes.h"
#include "datatypes/DataTypeSimple.h"
#include "datatypes/TypeNameTable.h"
#include "diagnostics/Exception.h"

namespace QUON_DataTypes {

using zul::zulStdString::tString;

DataTypeCombinedPrime::DataTypeCombinedPrime(std::int32_t code, DataType instance)
    : DataTypeComplex(code, MoveSubTypes(instance)) {
    if (subTypes[0]->TypeCode() >= 0) {
        throw zul::Exception("A combined type with non-polymorphic instance type created!");
    }
}

DataTypeCombinedPrime::DataTypeCombinedPrime(std::int32_t code, DataType instance, Unchecked)
    : DataTypeComplex(code, MoveSubTypes(instance)) {}

bool DataTypeCombinedPrime::HasSubTypes() const {
    return !TypeCode::IsSinglePrimeMask(TypeCode());
}

tString DataTypeCombinedPrime::ToString() const {
    const std::string_view name = TypeName(TypeCode());
    tString text(name.empty() ? std::string_view("ErrorCombinedType") : name);
    if (HasSubTypes()) text.Append("[").Append(subTypes[0]->ToString()).Append("]");
    return text;
}

DataTypeImp* DataTypeCombinedPrime::Clone() const {
    // The instance slot may have been bound since construction; a clone must not throw.
    return new (std::nothrow) DataTypeCombinedPrime(TypeCode(), subTypes[0], Unchecked{});
}

DataTypeImp* CreateCombinedPrimeType(std::int32_t code, std::uint32_t k) {
    return new (std::nothrow)
        DataTypeCombinedPrime(code, DataType(CreateTypeVariable(k, static_cast<std::uint32_t>(code))));
}

}  // namespace QUON_DataTypes
