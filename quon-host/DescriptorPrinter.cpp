#include "quon-host/DescriptorPrinter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <string>

namespace quon_host {

namespace {

const char* OrNull(const char* text) {
    return text != nullptr ? text : "(null)";
}

void PrintVersion(std::ostream& out, const char* label, const zul::VersionInfo& version) {
    out << "  " << std::left << std::setw(21) << label << version.major << "." << version.minor << "."
        << version.patch << "  tweak \"" << version.tweak << "\"  public \"" << version.publicString
        << "\"  full \"" << version.fullString << "\"\n";
}

// The length of the well-formed UTF-8 sequence at `at` (0 when there is none).
std::size_t Utf8Length(const unsigned char* at, std::size_t left) {
    const unsigned char c = at[0];
    std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || length > left) return 0;
    std::uint32_t code = length == 1 ? c : c & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((at[i] & 0xC0) != 0x80) return 0;
        code = code << 6 | (at[i] & 0x3F);
    }
    const bool shortest = length == 1 || code >= (length == 2 ? 0x80u : length == 3 ? 0x800u : 0x10000u);
    return shortest && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF) ? length : 0;
}

// A library's text as JSON can hold it: a byte that is not UTF-8 is written as the four characters
// "\xNN", so that one bad byte does not cost the whole document.
std::string JsonSafe(const char* text) {
    std::string out;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const std::size_t size = std::strlen(text);
    for (std::size_t i = 0; i < size;) {
        if (const std::size_t length = Utf8Length(bytes + i, size - i)) {
            out.append(text + i, length);
            i += length;
        } else {
            static const char kHex[] = "0123456789abcdef";
            out += "\\x";
            out += kHex[bytes[i] >> 4];
            out += kHex[bytes[i] & 0xF];
            ++i;
        }
    }
    return out;
}

nlohmann::ordered_json VersionJson(const zul::VersionInfo& version) {
    return {{"major", version.major}, {"minor", version.minor},         {"patch", version.patch},
            {"tweak", JsonSafe(version.tweak.c_str())}, {"public", JsonSafe(version.publicString.c_str())},
            {"full", JsonSafe(version.fullString.c_str())}};
}

nlohmann::ordered_json TextOrNull(const char* text) {
    return text != nullptr ? nlohmann::ordered_json(JsonSafe(text)) : nlohmann::ordered_json();
}

}  // namespace

bool PrintDescriptorJson(std::ostream& out, const HostLibrary& library) {
    const QUON_ExternLib::LibraryDescriptor& descriptor = library.Descriptor();
    nlohmann::ordered_json types = nlohmann::ordered_json::array();
    for (std::uint64_t i = 0; i < descriptor.customTypeCount; ++i)
        types.push_back({{"name", TextOrNull(descriptor.customTypes[i].typeName)}});
    nlohmann::ordered_json functions = nlohmann::ordered_json::array();
    bool allParsed = true;
    for (const HostLibrary::Row& row : library.Rows()) {
        nlohmann::ordered_json function = {{"name", TextOrNull(row.entry->name)},
                                           {"description", TextOrNull(row.entry->description)},
                                           {"published", TextOrNull(row.entry->typeString)}};
        if (row.error.empty()) {
            QUON_DataTypes::DataTypeImp& type = *row.type.Get();
            nlohmann::ordered_json parameters = nlohmann::ordered_json::array();
            for (std::uint32_t i = 1; i <= type.GetArgumentCount(); ++i)
                parameters.push_back(type.GetFunctionSubType(i).ToString().Text());
            function["canonical"] = row.type.ToString().Text();
            function["parameters"] = parameters;
            if (!row.parameterNames.empty()) {
                nlohmann::ordered_json names = nlohmann::ordered_json::array();
                for (std::size_t start = 0, end; start <= row.parameterNames.size(); start = end + 2) {
                    end = std::min(row.parameterNames.find(", ", start), row.parameterNames.size());
                    names.push_back(JsonSafe(row.parameterNames.substr(start, end - start).c_str()));
                }
                function["parameterNames"] = names;
            }
            function["result"] = type.GetFunctionSubType(0).ToString().Text();
        } else {
            function["canonical"] = function["parameters"] = function["result"] = nullptr;
            function["error"] = row.error;
            allParsed = false;
        }
        functions.push_back(function);
    }
    const nlohmann::ordered_json document = {
        {"library",
         {{"name", TextOrNull(descriptor.libraryName)},
          {"interfaceVersion", descriptor.interfaceVersion},
          {"pointerSize", descriptor.pointerSize},
          {"buildConfiguration", TextOrNull(descriptor.buildConfiguration)},
          {"version", VersionJson(descriptor.libraryVersion)},
          {"frameworkVersion", VersionJson(descriptor.frameworkVersion)},
          {"frameworkMinVersion", VersionJson(descriptor.frameworkMinVersion)}}},
        {"customTypes", types},
        {"functions", functions}};
    out << document.dump(2) << "\n";
    return allParsed;
}

bool PrintFunction(std::ostream& out, const HostLibrary::Row& row) {
    out << OrNull(row.entry->name) << " -- " << OrNull(row.entry->description) << "\n  published   "
        << OrNull(row.entry->typeString) << "\n";
    if (!row.error.empty()) {
        out << "  UNUSABLE: " << row.error << "\n";
        return false;
    }
    out << "  canonical   " << row.type.ToString().Text() << "\n";
    if (!row.parameterNames.empty()) out << "  parameters  " << row.parameterNames << "\n";
    return true;
}

bool PrintDescriptor(std::ostream& out, const HostLibrary& library) {
    const QUON_ExternLib::LibraryDescriptor& descriptor = library.Descriptor();
    out << "Library \"" << OrNull(descriptor.libraryName) << "\"\n";
    out << "  interface version    " << descriptor.interfaceVersion << "\n";
    out << "  pointer size         " << descriptor.pointerSize << "\n";
    out << "  build configuration  " << OrNull(descriptor.buildConfiguration) << "\n";
    PrintVersion(out, "library version", descriptor.libraryVersion);
    PrintVersion(out, "framework version", descriptor.frameworkVersion);
    PrintVersion(out, "framework minimum", descriptor.frameworkMinVersion);

    out << "Custom types (" << descriptor.customTypeCount << ")\n";
    for (std::uint64_t i = 0; i < descriptor.customTypeCount; ++i) {
        const auto& row = descriptor.customTypes[i];
        out << "  " << std::setw(3) << std::right << i + 1 << "  " << OrNull(row.typeName) << "  destroy "
            << reinterpret_cast<const void*>(row.destroy) << "  toText "
            << reinterpret_cast<const void*>(row.toText) << "\n";
    }
    out << "Functions (" << descriptor.functionCount << ")\n";
    bool allParsed = true;
    for (std::size_t i = 0; i < library.Rows().size(); ++i) {
        const HostLibrary::Row& parsed = library.Rows()[i];
        const QUON_ExternLib::FunctionEntry& row = *parsed.entry;
        out << "  " << std::setw(3) << std::right << i + 1 << "  " << std::left << std::setw(20)
            << OrNull(row.name) << " " << reinterpret_cast<const void*>(row.adapter) << "  -- "
            << OrNull(row.description) << "\n       published  " << OrNull(row.typeString) << "\n";
        if (parsed.error.empty()) {
            out << "       canonical  " << parsed.type.ToString().Text() << "\n";
            if (!parsed.parameterNames.empty()) out << "       parameters " << parsed.parameterNames << "\n";
        } else {
            out << "       UNUSABLE: " << parsed.error << "\n";
            allParsed = false;
        }
    }
    return allParsed;
}

}  // namespace quon_host
