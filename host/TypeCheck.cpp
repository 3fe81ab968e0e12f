#include "host/TypeCheck.h"

#include <algorithm>
#include <cstring>

#include "datatypes/DataTypeCodes.h"
#include "datatypes/ExternalTypeRegistry.h"
#include "host/HostFunction.h"

namespace quon_host {

namespace TypeCode = QUON_DataTypes::TypeCode;
using Kind = Value::Kind;

namespace {

std::int32_t PrimeBit(Kind kind) {
    switch (kind) {
        case Kind::Bool:
            return TypeCode::kBool;
        case Kind::Int:
            return TypeCode::kInt;
        case Kind::Float:
            return TypeCode::kFloat;
        case Kind::String:
            return TypeCode::kString;
        default:
            return 0;
    }
}

bool RecordConforms(const Value& value, QUON_DataTypes::DataTypeImp& type) {
    if (value.GetKind() != Kind::Record) return false;
    QUON_DataTypes::AttributeMap expected;
    QUON_DataTypes::DataType extension;
    type.CollectAttributes(expected, extension);
    const auto given = value.Attributes();
    const bool exact = type.TypeCode() != TypeCode::kExtendableRecord;
    if (exact && given.size() != expected.size()) return false;
    return std::all_of(expected.begin(), expected.end(), [&](const auto& attribute) {
        const auto found = std::find_if(given.begin(), given.end(),
                                        [&](const auto& g) { return g.first == attribute.first.Text(); });
        return found != given.end() && Conforms(found->second, attribute.second);
    });
}

}  // namespace

bool Conforms(const Value& value, const QUON_DataTypes::DataType& expected) {
    QUON_DataTypes::DataTypeImp& type = *expected.Get();
    const std::int32_t code = type.TypeCode();
    const Kind kind = value.GetKind();
    if (code < 0) return kind != Kind::None;  // a type variable takes any value
    if (code == TypeCode::kBool || code == TypeCode::kInt || code == TypeCode::kFloat ||
        code == TypeCode::kString)
        return PrimeBit(kind) == code;
    if ((code & ~0xF) == TypeCode::kCombinedPrime) return (PrimeBit(kind) & code) != 0;
    if (code == TypeCode::kArray) {
        if (kind != Kind::Array) return false;
        const auto elements = value.Elements();
        return std::all_of(elements.begin(), elements.end(),
                           [&](const Value& e) { return Conforms(e, type.GetElementType()); });
    }
    if (TypeCode::IsRecordCode(code)) return RecordConforms(value, type);
    if (code == TypeCode::kFunction)
        return kind == Kind::Function &&
               static_cast<const HostFunctionCell&>(value.Cell()).Object()->arity ==
                   type.GetArgumentCount();
    if (code >= TypeCode::kFirstExternal) {
        const char* name = value.CustomTypeName();
        return name != nullptr &&
               QUON_DataTypes::ExternalTypeRegistry::Instance().NameOf(code).Text() == name;
    }
    return false;  // types no value of this host has (tuples, maps, lists, ...)
}

}  // namespace quon_host
