#include "host/TypeCommand.h"

#include <cstring>
#include <string>

#include "datatypes/DataType.h"
#include "datatypes/DataTypeParser.h"

namespace quon_host {

namespace {

const char* YesNo(bool value) {
    return value ? "yes" : "no";
}

// Why the parse failed. The parser leaves no message for a combined type over a type that is
// not a variable (nor when memory runs out).
std::string FailureMessage(const QUON_DataTypes::DataTypeParser& parser) {
    const std::string& message = parser.ErrorMessage().Text();
    return message.empty() ? "Invalid combined type! It takes a type variable, as in Numeric['1]!"
                           : message;
}

// Prints one text's result; false when it is not a type or a part of it failed to parse.
bool DescribeType(const char* text, std::ostream& out, std::ostream& err) {
    std::string error;
    const std::optional<QUON_DataTypes::DataType> type = ParseTypeText(text, error);
    if (!type) {
        err << "quon-host type: '" << text << "': " << error << "\n";
        return false;
    }
    out << (*type).ToString().Text() << "\n"
        << "  fully defined: " << YesNo((*type)->IsFullyDefined())
        << ", polymorphic: " << YesNo((*type)->IsPolymorphic())
        << ", essentially non-polymorphic: " << YesNo((*type)->IsEssentiallyNonPolymorphic()) << "\n";
    return true;
}

}  // namespace

std::optional<QUON_DataTypes::DataType> ParseTypeText(const char* text, std::string& error) {
    QUON_DataTypes::DataTypeParser parser(text, std::strlen(text));
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

int RunTypeCommand(int count, const char* const* texts, std::ostream& out, std::ostream& err) {
    if (count < 1) {
        err << "usage: quon-host type 'TYPE STRING'...\n";
        return 2;
    }
    bool allParsed = true;
    for (int i = 0; i < count; ++i) allParsed = DescribeType(texts[i], out, err) && allParsed;
    return allParsed ? 0 : 1;
}

}  // namespace quon_host
