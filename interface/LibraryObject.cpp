#include "interface/LibraryObject.h"

#include "platform/LoadOrder.h"

namespace QUON_ExternLib {

namespace {
constexpr std::uint64_t kInterfaceVersion = 400;
constexpr const char* kLibraryName = "TestExternalLibrary";
constexpr const char* kBuildConfiguration = "RELEASE";
}  // namespace

LibraryObject::LibraryObject() {
    // The version records start as the framework's own version; the builder later names the
    // library's version, and the framework's minimum is lowered to the oldest compatible build.
    descriptor.libraryVersion = zul::VersionInfo(0, 6, 12, "26071");
    descriptor.frameworkVersion = zul::VersionInfo(0, 6, 12, "26071");
    descriptor.frameworkMinVersion = zul::VersionInfo(0, 6, 12, "26071");
    descriptor.interfaceVersion = kInterfaceVersion;
    descriptor.pointerSize = sizeof(void*);
    descriptor.buildConfiguration = kBuildConfiguration;
    descriptor.customTypeCount = 0;
    descriptor.functionCount = 0;
    descriptor.frameworkVersion = zul::VersionInfo(0, 6, 12, "26071");
    descriptor.frameworkMinVersion = zul::VersionInfo(0, 6, 12, "26000");
    TheLibraryContext().typeRegistry = &typeRegistry;
}

LibraryDescriptor* LibraryObject::Data() {
    if (built) return &descriptor;
    Build();
    Publish();
    built = true;
    return &descriptor;
}

void LibraryObject::Build() {
    descriptor.libraryName = kLibraryName;
    descriptor.libraryVersion = zul::VersionInfo(0, 6, 5, "abc");
}

void LibraryObject::Publish() {
    // Appending may move the rows, so the pointers are published only after the last append.
    descriptor.functionCount = functionTable.size();
    descriptor.functions = functionTable.data();
    descriptor.customTypeCount = customTypeTable.size();
    descriptor.customTypes = customTypeTable.data();
}

void LibraryObject::RegisterCustomType(std::type_index nativeType, const CustomTypeEntry& row) {
    customTypeTable.push_back(row);
    typeRegistry.insert_or_assign(nativeType, row);
}

namespace {
__attribute__((init_priority(QUON_LOAD_ORDER_LIBRARY_OBJECT))) LibraryObject theLibrary;
}

LibraryObject& TheLibrary() {
    return theLibrary;
}

}  // namespace QUON_ExternLib
