#include "host/TypeCheck.h"

#include <algorithm>
#include <cstring>
#include <vector>

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

// What a record type asks of a record: its attributes and their types, collected once for all
// the records checked against it (an array's elements share their type). Records made by one row
// share one names table, so the attributes' indices are looked up once per table, not per record.
class RecordShape {
public:
    explicit RecordShape(QUON_DataTypes::DataTypeImp& type)
        : exact(type.TypeCode() != TypeCode::kExtendableRecord) {
        QUON_DataTypes::DataType extension;
        type.CollectAttributes(expected, extension);
        indices.resize(expected.size());
    }

    // Exactly the expected attributes (at least them for an extendable type), each conforming.
    bool Matches(const EvCell& cell) {
        if (cell.Word() == 0) return expected.empty();
        const QUON_Evaluator::RecordView record(cell);
        const QUON_Evaluator::utilRecordNames& names = record.Names();
        if (exact && names.Size() != expected.size()) return false;
        if (&names != resolvedFor) {
            std::size_t i = 0;
            for (const auto& attribute : expected) indices[i++] = names.Find(attribute.first.c_str());
            resolvedFor = &names;
        }
        std::size_t i = 0;
        for (const auto& attribute : expected) {
            const int index = indices[i++];
            if (index < 0 || !CellConforms(*record.Attribute(index), *attribute.second.Get())) return false;
        }
        return true;
    }

private:
    QUON_DataTypes::AttributeMap expected;  // attribute name -> its type
    std::vector<int> indices;  // in expected's order, each in the names table resolvedFor; -1: absent
    bool exact;
    const QUON_Evaluator::utilRecordNames* resolvedFor = nullptr;
};

// The cells of an array or the attributes of a record are read in place: nothing is shared or
// copied, so checking a large argument costs one look at each cell.
bool ArrayConforms(const EvCell& cell, QUON_DataTypes::DataTypeImp& type) {
    const HostArrayObject* array = static_cast<const HostArrayCell&>(cell).Object();
    if (array == nullptr) return true;
    QUON_DataTypes::DataTypeImp& element = *type.GetElementType().Get();
    const EvCell* cells = array->Cells();
    const std::uint64_t count = array->CellCount();
    if (TypeCode::IsRecordCode(element.TypeCode())) {
        RecordShape shape(element);
        for (std::uint64_t i = 0; i < count; ++i)
            if (Value::KindOf(cells[i]) != Kind::Record || !shape.Matches(cells[i])) return false;
        return true;
    }
    for (std::uint64_t i = 0; i < count; ++i)
        if (!CellConforms(cells[i], element)) return false;
    return true;
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
    if (TypeCode::IsRecordCode(code)) return kind == Kind::Record && RecordShape(type).Matches(cell);
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
