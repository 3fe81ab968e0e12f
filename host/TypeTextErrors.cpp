#include "host/TypeTextErrors.h"

#include <cstring>
#include <string>

namespace quon_host {

namespace {

// Why the parse failed. The parser leaves no message for a combined type over a type that is
// not a variable (nor when memory runs out).
std::string FailureMessage(const QUON_DataTypes::DataTypeParser& parser) {
    if (parser.NestingTooDeep())
        return "Type nesting too deep! (more than " + std::to_string(QUON_DataTypes::DataTypeParser::kMaxNesting) +
               " levels)";
    const std::string& message = parser.ErrorMessage().Text();
    return message.empty() ? "Invalid combined type! It takes a type variable, as in Numeric['1]!"
                           : message;
}

}  // namespace

std::optional<QUON_DataTypes::DataType> ParsedType(QUON_DataTypes::DataTypeParser& parser,
                                                   std::string& error) {
    QUON_DataTypes::DataTypeImp* parsed = parser.ParseType();
    if (parsed == nullptr) {
        error = FailureMessage(parser);
        return std::nullopt;
    }
    QUON_DataTypes::DataType type(parsed);
    // A part that failed inside List, Array or Recursive becomes Undefined: the text still
    // parses, but it is not the type its author meant, so it counts as a failure.
    if (parser.PartFailed()) {
        error = FailureMessage(parser);
        return std::nullopt;
    }
    return type;
}

std::optional<QUON_DataTypes::DataType> ParseTypeText(const char* text, std::string& error) {
    QUON_DataTypes::DataTypeParser parser(text, std::strlen(text));
    return ParsedType(parser, error);
}

}  // namespace quon_host
