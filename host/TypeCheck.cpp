#include "host/TypeCheck.h"

#include <algorithm>
#include <cstring>

#include "datatypes/DataTypeCodes.h"
#include "datatypes/ExternalTypeRegistry.h"
#include "evaluator/RecordView.h"
#include "host/HostValues.h"

namespace quon_host {

namespace TypeCode = QUON_DataTypes::TypeCode;
using Kind = Value::Kind;

namespace {

using QUON_Evaluator::EvCell;

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

bool CellConforms(const EvCell& cell, QUON_DataTypes::DataTypeImp& type);

// The cells of an array or the attributes of a record are read in place: nothing is shared or
// copied, so checking a large argument costs one look at each cell.
bool ArrayConforms(const EvCell& cell, QUON_DataTypes::DataTypeImp& type) {
    const HostArrayObject* array = static_cast<const HostArrayCell&>(cell).Object();
    if (array == nullptr) return true;
    QUON_DataTypes::DataTypeImp& element = *type.GetElementType().Get();
    const EvCell* cells = array->Cells();
    for (std::uint64_t i = 0; i < array->CellCount(); ++i)
        if (!CellConforms(cells[i], element)) return false;
    return true;
}

bool RecordConforms(const EvCell& cell, QUON_DataTypes::DataTypeImp& type) {
    QUON_DataTypes::AttributeMap expected;
    QUON_DataTypes::DataType extension;
    type.CollectAttributes(expected, extension);
    const bool exact = type.TypeCode() != TypeCode::kExtendableRecord;
    if (cell.Word() == 0) return expected.empty();
    const QUON_Evaluator::RecordView record(cell);
    if (exact && record.Names().Size() != expected.size()) return false;
    return std::all_of(expected.begin(), expected.end(), [&](const auto& attribute) {
        const EvCell* found = record.Find(attribute.first.c_str());
        return found != nullptr && CellConforms(*found, *attribute.second.Get());
    });
}

bool CustomConforms(const EvCell& cell, std::int32_t code) {
    const HostCustomObject* holder = static_cast<const HostCustomCell&>(cell).Holder();
    if (holder == nullptr || holder->entry == nullptr || holder->entry->typeName == nullptr) return false;
    return QUON_DataTypes::ExternalTypeRegistry::Instance().NameOf(code).Text() == holder->entry->typeName;
}

bool CellConforms(const EvCell& cell, QUON_DataTypes::DataTypeImp& type) {
    const std::int32_t code = type.TypeCode();
    const Kind kind = Value::KindOf(cell);
    if (code < 0) return kind != Kind::None;  // a type variable takes any value
    if (code == TypeCode::kBool || code == TypeCode::kInt || code == TypeCode::kFloat ||
        code == TypeCode::kString)
        return PrimeBit(kind) == code;
    if ((code & ~0xF) == TypeCode::kCombinedPrime) return (PrimeBit(kind) & code) != 0;
    if (code == TypeCode::kArray) return kind == Kind::Array && ArrayConforms(cell, type);
    if (TypeCode::IsRecordCode(code)) return kind == Kind::Record && RecordConforms(cell, type);
    if (code == TypeCode::kFunction)
        return kind == Kind::Function &&
               static_cast<const HostFunctionCell&>(cell).Object()->arity == type.GetArgumentCount();
    if (code >= TypeCode::kFirstExternal) return kind == Kind::Custom && CustomConforms(cell, code);
    return false;  // types no value of this host has (tuples, maps, lists, ...)
}

}  // namespace

bool Conforms(const Value& value, const QUON_DataTypes::DataType& expected) {
    return CellConforms(value.Cell(), *expected.Get());
}

}  // namespace quon_host
