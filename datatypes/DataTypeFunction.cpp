#include "datatypes/DataTypeFunction.h"

#include <new>

#include "datatypes/DataTypeCodes.h"
#include "datatypes/DataTypeSimple.h"

namespace QUON_DataTypes {

using zul::zulStdString::tString;

DataTypeFunction::DataTypeFunction(std::vector<DataType> resultAndArguments) noexcept
    : DataTypeComplex(TypeCode::kFunction, std::move(resultAndArguments)) {}

tString DataTypeFunction::ToString() const {
    tString text("(");
    for (std::size_t i = 1; i < subTypes.size(); ++i) {
        if (i > 1) text.Append(" * ");
        text.Append(subTypes[i]->ToString());
    }
    return std::move(text.Append(" -> ").Append(subTypes[0]->ToString()).Append(")"));
}

DataTypeImp* DataTypeFunction::Clone() const {
    return new (std::nothrow) DataTypeFunction(CopySubTypes());
}

std::uint32_t DataTypeFunction::GetArgumentCount() const {
    return static_cast<std::uint32_t>(subTypes.size() - 1);
}

DataType& DataTypeFunction::GetFunctionSubType(std::uint32_t i) {
    return i < subTypes.size() ? subTypes[i] : UndefinedHandle();
}

DataTypeImp* CreateFunctionType(std::uint32_t n) {
    std::vector<DataType> slots;
    slots.reserve(n + 1);
    for (std::uint32_t k = 1; k <= n + 1; ++k) slots.emplace_back(CreateTypeVariable(k));
    return new (std::nothrow) DataTypeFunction(std::move(slots));
}

DataTypeImp* CreateFunctionApplicationType(std::uint32_t n) {
    DataType function(CreateFunctionType(n));
    auto* plain = dynamic_cast<DataTypeFunction*>(function.Get());
    if (plain == nullptr) return nullptr;
    std::vector<DataType> slots(plain->SubTypes());
    slots.push_back(std::move(function));
    return new (std::nothrow) DataTypeFunctionApplication(std::move(slots));
}

}  // namespace QUON_DataTypes
