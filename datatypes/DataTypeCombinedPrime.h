// A combined prime type: a set of the basic prime types (Numeric, Value, Prime, ...), with an
// instance variable that inference binds to the one prime type meant. Code 0x10000 + mask.
#pragma once

#include <cstdint>

#include "datatypes/DataTypeComplex.h"

namespace QUON_DataTypes {

// Sub-types: instance variable.
class DataTypeCombinedPrime final : public DataTypeComplex {
public:
    // Throws zul::Exception when `instance` is not a type variable.
    DataTypeCombinedPrime(std::int32_t code, DataType instance);

    zul::zulStdString::tString ToString() const override;
    DataTypeImp* Clone() const override;
    // A code narrowed to one prime stands for that prime alone: a leaf.
    bool HasSubTypes() const override;
    DataType& GetInstanceType() override { return subTypes[0]; }

private:
    struct Unchecked {};
    DataTypeCombinedPrime(std::int32_t code, DataType instance, Unchecked);
};

// The combined type of `code` with a new instance variable 'k constrained to `code`.
DataTypeImp* CreateCombinedPrimeType(std::int32_t code, std::uint32_t k);

}  // namespace QUON_DataTypes
