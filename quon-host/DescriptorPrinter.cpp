#include "quon-host/DescriptorPrinter.h"

#include <iomanip>
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

}  // namespace

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
        } else {
            out << "       DOES NOT PARSE: " << parsed.error << "\n";
            allParsed = false;
        }
    }
    return allParsed;
}

}  // namespace quon_host
