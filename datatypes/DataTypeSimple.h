// The leaf types, which have no sub-types: the prime types, Undefined, type variables and
// external types. Prime types and Undefined exist once per code, shared by every user.
#pragma once

#include <cstdint>
#include <new>

#include "datatypes/DataType.h"
#include "datatypes/DataTypeCodes.h"

namespace QUON_DataTypes {

class DataTypeSimple : public DataTypeImp {
public:
    bool HasSubTypes() const override { return false; }
    bool IsFullyDefined() const override { return true; }
    bool IsPolymorphic() const override { return false; }
    bool IsEssentiallyNonPolymorphic() const override { return true; }
    bool Traverse(DataTypeVisitor&, std::uint32_t) override { return true; }
    bool AllSubTypes(const SubTypePredicate&) const override { return true; }

protected:
    using DataTypeImp::DataTypeImp;
};

// Prints its TypeNameTable name; the empty string for a code without one.
zul::zulStdString::tString PrimeTypeName(std::int32_t code);

// A shared type: Clone adds a reference and returns the same object.
class DataTypeShared : public DataTypeSimple {
public:
    DataTypeImp* Clone() const override;

protected:
    using DataTypeSimple::DataTypeSimple;
};

// The prime type of one code. Its one instance is made on first use and kept while the module is loaded.
template <std::int32_t code>
class dtcPrimeDataType final : public DataTypeShared {
public:
    // In static storage and never destroyed: usable while other static objects end, and gone
    // with the module's image when it unloads (no heap block left behind a reload).
    static dtcPrimeDataType* Instance() {
        alignas(dtcPrimeDataType) static unsigned char storage[sizeof(dtcPrimeDataType)];
        static dtcPrimeDataType* const instance = ::new (static_cast<void*>(storage)) dtcPrimeDataType();
        return instance;
    }
    zul::zulStdString::tString ToString() const override { return PrimeTypeName(code); }

private:
    dtcPrimeDataType() noexcept : DataTypeShared(code) {}
};

// The shared prime instance of `code` (1, 2, 4, 8 or 0x20000 to 0x20007), else null.
DataTypeImp* SharedPrimeType(std::int32_t code);

// A new reference to a shared instance, for a handle or a slot that adopts it.
inline DataTypeImp* Shared(DataTypeImp* instance) {
    instance->AddReference();
    return instance;
}

class DataTypeUndefined final : public DataTypeShared {
public:
    static DataTypeUndefined* Instance();
    zul::zulStdString::tString ToString() const override;
    bool IsFullyDefined() const override { return false; }

private:
    DataTypeUndefined() noexcept : DataTypeShared(TypeCode::kUndefined) {}
};

// A type variable 'k, code -k. The constraint is 0 for a free variable, otherwise the code of
// the combined prime or abstract collection type whose instance variable it is.
class DataTypePurePolymorphic final : public DataTypeSimple {
public:
    DataTypePurePolymorphic(std::int32_t code, std::uint32_t constraint) noexcept
        : DataTypeSimple(code), constraint(constraint) {}

    zul::zulStdString::tString ToString() const override;
    bool IsPolymorphic() const override { return true; }
    bool IsEssentiallyNonPolymorphic() const override { return false; }
    std::uint32_t GetPolyConstraint() const override { return constraint; }
    std::int32_t Compare(const DataTypeImp& other) const override;
    DataTypeImp* Clone() const override;

private:
    std::uint32_t constraint;  // 0 for a free variable, else the owning type's code
};

// A new variable 'k with the given constraint (null when memory is exhausted).
DataTypeImp* CreateTypeVariable(std::uint32_t k, std::uint32_t constraint = 0);

// A type registered by name in the ExternalTypeRegistry; code 0x400000 + its position.
class DataTypeExternal final : public DataTypeShared {
public:
    explicit DataTypeExternal(std::int32_t code) noexcept : DataTypeShared(code) {}
    zul::zulStdString::tString ToString() const override;
    bool IsExternal() const override { return true; }
};

}  // namespace QUON_DataTypes
