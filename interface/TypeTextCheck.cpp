#include "interface/TypeTextCheck.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "datatypes/DataType.h"
#include "datatypes/DataTypeParser.h"
#include "datatypes/DataTypeRecord.h"
#include "datatypes/DataTypeSimple.h"

namespace QUON_ExternLib {

namespace {

using QUON_DataTypes::DataType;
using QUON_DataTypes::DataTypeImp;

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsWordByte(char c) {
    return IsLetter(c) || (c >= '0' && c <= '9') || c == '_';
}

// The whole text as one type, or why not (the type is null then).
DataType ParseWhole(const char* text, std::string& problem) {
    QUON_DataTypes::DataTypeParser parser(text, std::strlen(text));
    DataType type(parser.ParseType());
    if (type->TypeCode() == QUON_DataTypes::TypeCode::kUndefined || parser.PartFailed()) {
        const std::string_view unknown = parser.UnknownName();
        problem = unknown.empty() ? std::string(parser.ErrorMessage().Text())
                                  : "no type is named '" + std::string(unknown) + "'";
        if (problem.empty()) problem = "it is not a type";
        return DataType();
    }
    const char* rest = text + parser.ReadLength();
    while (*rest != '\0' && static_cast<unsigned char>(*rest) <= ' ') ++rest;
    if (*rest != '\0') problem = "text follows the type: '" + std::string(rest) + "'";
    if (!parser.RepeatedAttribute().empty())
        problem = "a record names '" + std::string(parser.RepeatedAttribute()) + "' twice";
    return type;
}

// True when `literal` is `derived`, or `derived` with types in place of its variables; `bound`
// keeps the printed type each variable stands for.
bool Refines(const DataTypeImp& literal, const DataTypeImp& derived, std::map<std::int32_t, std::string>& bound) {
    if (dynamic_cast<const QUON_DataTypes::DataTypePurePolymorphic*>(&derived) != nullptr) {
        const std::string text(literal.ToString().Text());
        const auto [where, added] = bound.emplace(derived.TypeCode(), text);
        return added || where->second == text;
    }
    if (literal.TypeCode() != derived.TypeCode()) return false;
    const auto* literalRecord = dynamic_cast<const QUON_DataTypes::DataTypeRecord*>(&literal);
    const auto* derivedRecord = dynamic_cast<const QUON_DataTypes::DataTypeRecord*>(&derived);
    if (literalRecord != nullptr && derivedRecord != nullptr &&
        !std::equal(literalRecord->Attributes().begin(), literalRecord->Attributes().end(),
                    derivedRecord->Attributes().begin(), derivedRecord->Attributes().end(),
                    [](const auto& a, const auto& b) { return a.first.Text() == b.first.Text(); }))
        return false;
    std::vector<DataType*> literalParts, derivedParts;
    literal.GetSubTypes(literalParts);
    derived.GetSubTypes(derivedParts);
    if (literalParts.size() != derivedParts.size()) return false;
    for (std::size_t i = 0; i < literalParts.size(); ++i)
        if (!Refines(**literalParts[i], **derivedParts[i], bound)) return false;
    return true;
}

}  // namespace

bool IsFunctionName(std::string_view name) {
    if (name.empty() || !(IsLetter(name[0]) || name[0] == '_')) return false;
    return std::all_of(name.begin(), name.end(), IsWordByte);
}

std::string CustomTypeNameProblem(std::string_view name) {
    if (name.empty()) return "a custom type has no name";
    if (!IsLetter(name[0]) || !std::all_of(name.begin(), name.end(), IsWordByte))
        return "'" + std::string(name) + "' is not a type name: a letter, then letters, digits and '_'";
    const std::vector<std::string_view> keywords = QUON_DataTypes::DataTypeParser::KeywordNames();
    if (name == "Undefined" || std::find(keywords.begin(), keywords.end(), name) != keywords.end())
        return "'" + std::string(name) + "' is a type of the language itself";
    return "";
}

std::string LiteralTypeProblem(const char* literal, const char* derived, const char* derivedFrom) {
    std::string problem;
    const DataType literalType = ParseWhole(literal, problem);
    if (!problem.empty()) return "its literal type '" + std::string(literal) + "' does not parse: " + problem;
    const DataType derivedType = ParseWhole(derived, problem);
    if (!problem.empty())
        return "the type of " + std::string(derivedFrom) + ", '" + derived + "', does not parse: " + problem;
    std::map<std::int32_t, std::string> bound;
    if (Refines(*literalType, *derivedType, bound)) return "";
    return "its literal type '" + std::string(literal) + "' says another type than " + derivedFrom + ", '" +
           derived + "'";
}

}  // namespace QUON_ExternLib
