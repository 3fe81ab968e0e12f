// Function types. Sub-types: result, argument 1, ..., argument n. A function application
// carries the applied function type as its last argument.
#pragma once

#include <cstdint>
#include <vector>

#include "datatypes/DataTypeComplex.h"

namespace QUON_DataTypes {

class DataTypeFunction : public DataTypeComplex {
public:
    explicit DataTypeFunction(std::vector<DataType> resultAndArguments) noexcept;

    zul::zulStdString::tString ToString() const override;
    DataTypeImp* Clone() const override;  // always a plain function
    std::uint32_t GetArgumentCount() const override;
    // i = 0: the result; 1 to GetArgumentCount: an argument; beyond: the Undefined handle.
    DataType& GetFunctionSubType(std::uint32_t i) override;
};

// Sub-types: result, argument 1, ..., argument n, the applied function type.
class DataTypeFunctionApplication final : public DataTypeFunction {
public:
    using DataTypeFunction::DataTypeFunction;
};

// A function of n arguments over fresh variables: result '1, argument i '(i+1).
DataTypeImp* CreateFunctionType(std::uint32_t n);
// F = CreateFunctionType(n); an application whose sub-types are copies of F's, then F itself.
DataTypeImp* CreateFunctionApplicationType(std::uint32_t n);

}  // namespace QUON_DataTypes
