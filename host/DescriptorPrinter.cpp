#include "host/DescriptorPrinter.h"

#include <iomanip>
#include <string>

#include "datatypes/ExternalTypeRegistry.h"
#include "host/TypeCommand.h"

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

}  // namespace

bool PrintDescriptor(std::ostream& out, const QUON_ExternLib::LibraryDescriptor& descriptor) {
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
        // The rows' type strings may name the type: the host's parser learns it first.
        if (row.typeName != nullptr)
            QUON_DataTypes::ExternalTypeRegistry::Instance().Register(row.typeName);
        out << "  " << std::setw(3) << std::right << i + 1 << "  " << OrNull(row.typeName) << "  destroy "
            << reinterpret_cast<const void*>(row.destroy) << "  toText "
            << reinterpret_cast<const void*>(row.toText) << "\n";
    }
    out << "Functions (" << descriptor.functionCount << ")\n";
    bool allParsed = true;
    for (std::uint64_t i = 0; i < descriptor.functionCount; ++i) {
        const auto& row = descriptor.functions[i];
        out << "  " << std::setw(3) << std::right << i + 1 << "  " << std::left << std::setw(20)
            << OrNull(row.name) << " " << reinterpret_cast<const void*>(row.adapter) << "  -- "
            << OrNull(row.description) << "\n       published  " << OrNull(row.typeString) << "\n";
        std::string error;
        const auto type = row.typeString != nullptr ? ParseTypeText(row.typeString, error) : std::nullopt;
        if (type) {
            out << "       canonical  " << (*type).ToString().Text() << "\n";
        } else {
            out << "       DOES NOT PARSE: " << (row.typeString != nullptr ? error : "no type string")
                << "\n";
            allParsed = false;
        }
    }
    return allParsed;
}

}  // namespace quon_host
