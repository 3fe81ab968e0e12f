// Helpers shared by the type-system tests: parse to a handle, print to a std::string.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "datatypes/DataType.h"
#include "datatypes/DataTypeParser.h"

namespace type_tests {

using QUON_DataTypes::DataType;

// The parsed type, or Undefined when the text is not a type.
inline DataType Parse(const char* text) {
    return DataType(QUON_DataTypes::ParseDataType(text));
}

inline std::string Print(const DataType& type) {
    return type.ToString().Text();
}

// The printed sub-types of `type`, separated by spaces.
inline std::string SubTypes(const DataType& type) {
    std::vector<DataType*> subTypes;
    type->GetSubTypes(subTypes);
    std::string text;
    for (const DataType* subType : subTypes) text += (text.empty() ? "" : " ") + Print(*subType);
    return text;
}

// The printed parse result followed by " (<message>)" when a part failed on the way, or
// "null: <message>" when the parser yields nothing.
inline std::string ParseResult(const char* text) {
    QUON_DataTypes::DataTypeParser parser(text, std::strlen(text));
    QUON_DataTypes::DataTypeImp* parsed = parser.ParseType();
    const std::string& message = parser.ErrorMessage().Text();
    if (parsed == nullptr) return "null: " + message;
    return Print(DataType(parsed)) + (message.empty() ? "" : " (" + message + ")");
}

}  // namespace type_tests
