#include "testlib/MetaData.h"

#include "externlib/LibraryContext.h"

namespace QUON_TestLib {

namespace {
LibraryInformation FixedInformation() {
    return {22, 5, 6, 0, "0.6.5", "0.6.5.22", "TestExternalLibrary"};
}
}  // namespace

LibraryInformation LibData() {
    return FixedInformation();
}

NestedInformation LibData2() {
    return {"my another record", FixedInformation()};
}

LiteralLibraryInformation LibData3() {
    return {"TestExternalLibrary", "0.6.5.22", 0, 6, 5, "0.6.5", 22};
}

BuildInformation LibDataLive() {
    // Through LibraryData, so that the tables are built if they were not yet.
    const QUON_ExternLib::LibraryDescriptor& descriptor =
        *QUON_ExternLib::TheLibraryContext().libraryData();
    const zul::VersionInfo& version = descriptor.libraryVersion;
    return {descriptor.libraryName,
            version.fullString,
            version.publicString,
            version.major,
            version.minor,
            version.patch,
            version.tweak,
            std::string(descriptor.buildConfiguration) + " " + std::to_string(descriptor.pointerSize * 8) +
                "b"};
}

}  // namespace QUON_TestLib
