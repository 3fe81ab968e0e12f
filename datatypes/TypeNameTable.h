// Names of the prime and named combined prime types, by code. Built once, kept for the process.
#pragma once

#include <cstdint>
#include <map>
#include <string_view>

#include "datatypes/DataTypeCodes.h"

namespace QUON_DataTypes {

struct NamedPrimeType {
    std::int32_t code;
    std::string_view name;
};

// The prime types and the named sets of them, each under the name a type string writes: the one
// list that both the TypeNameTable and the parser's keywords are made from.
inline constexpr NamedPrimeType kNamedPrimeTypes[] = {
    {TypeCode::kBool, "Bool"},
    {TypeCode::kInt, "Int"},
    {TypeCode::kFloat, "Float"},
    {TypeCode::kString, "String"},
    {TypeCode::kLibrary, "Library"},
    {TypeCode::kDateTime, "DateTime"},
    {TypeCode::kDuration, "Duration"},
    {TypeCode::kMimeResource, "MimeResource"},
    {TypeCode::kMetaType, "MetaType"},
    {TypeCode::kXmlTag, "XmlTag"},
    {TypeCode::kDrawing, "Drawing"},
    {TypeCode::kBitmap, "Bitmap"},
    {TypeCode::kNumeric, "Numeric"},
    {TypeCode::kValue, "Value"},
    {TypeCode::kPrime, "Prime"},
    {TypeCode::kPrimeNotInt, "PrimeNotInt"},
    {TypeCode::kPrimeNotFloat, "PrimeNotFloat"},
    {TypeCode::kPrimeNotString, "PrimeNotString"},
};

// kNamedPrimeTypes and "Undefined".
const std::map<std::int32_t, std::string_view>& TypeNameTable();

// The name of `code`, or an empty view when the table has no entry for it.
std::string_view TypeName(std::int32_t code);

}  // namespace QUON_DataTypes
