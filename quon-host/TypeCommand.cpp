#include "quon-host/TypeCommand.h"

#include <optional>

#include "datatypes/DataType.h"
#include "datatypes/DataTypeCodes.h"
#include "datatypes/DataTypeParser.h"
#include "datatypes/ExternalTypeRegistry.h"
#include "host/ClosestName.h"
#include "host/TypeTextErrors.h"

namespace quon_host {

namespace {

const char* YesNo(bool value) {
    return value ? "yes" : "no";
}

std::string Column(std::size_t offset) {
    return "column " + std::to_string(offset + 1);
}

// Every name a type string may use: the grammar's keywords and the custom types registered so far.
std::vector<std::string_view> KnownTypeNames(std::vector<std::string>& storage) {
    auto& registry = QUON_DataTypes::ExternalTypeRegistry::Instance();
    for (std::int32_t code = QUON_DataTypes::TypeCode::kFirstExternal; code < registry.NextExternalCode();
         ++code)
        storage.push_back(registry.NameOf(code).Text());
    std::vector<std::string_view> names = QUON_DataTypes::DataTypeParser::KeywordNames();
    names.insert(names.end(), storage.begin(), storage.end());
    return names;
}

// The type of `text`, or empty with `error` set: the parser's refusals, with the unknown name and
// the closest known one where the parser met a name that is no type; then text after the type
// and repeated attribute names.
std::optional<QUON_DataTypes::DataType> StrictType(const std::string& text, std::string& error) {
    QUON_DataTypes::DataTypeParser parser(text.data(), text.size());
    std::optional<QUON_DataTypes::DataType> type = ParsedType(parser, error);
    if (!type) {
        if (const std::string_view name = parser.UnknownName(); !name.empty()) {
            std::vector<std::string> storage;
            const std::string closest = ClosestName(name, KnownTypeNames(storage));
            error += " '" + std::string(name) + "' at " + Column(name.data() - text.data()) +
                     " names no type" + (closest.empty() ? "" : "; did you mean '" + closest + "'?");
        }
        return std::nullopt;
    }
    const std::size_t end = text.find_first_not_of(" \t\r\n", parser.ReadLength());
    if (end != std::string::npos) {
        error = "unexpected text after the type at " + Column(end) + ": '" + text.substr(end) + "'";
        return std::nullopt;
    }
    if (const std::string_view name = parser.RepeatedAttribute(); !name.empty()) {
        error = "the record type repeats the attribute '" + std::string(name) + "' at " +
                Column(name.data() - text.data());
        return std::nullopt;
    }
    return type;
}

// Prints one text's result; false when it is not a type.
bool DescribeType(const std::string& text, std::ostream& out, std::ostream& err) {
    std::string error;
    const std::optional<QUON_DataTypes::DataType> type = StrictType(text, error);
    if (!type) {
        err << "quon-host: type '" << text << "': " << error << "\n";
        return false;
    }
    out << (*type).ToString().Text() << "\n"
        << "  fully defined: " << YesNo((*type)->IsFullyDefined())
        << ", polymorphic: " << YesNo((*type)->IsPolymorphic())
        << ", essentially non-polymorphic: " << YesNo((*type)->IsEssentiallyNonPolymorphic()) << "\n";
    return true;
}

}  // namespace

int RunTypeCommand(const std::vector<std::string>& texts, std::ostream& out, std::ostream& err) {
    bool allParsed = true;
    for (const std::string& text : texts) allParsed = DescribeType(text, out, err) && allParsed;
    return allParsed ? 0 : 1;
}

}  // namespace quon_host
