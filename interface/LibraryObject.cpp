#include "interface/LibraryObject.h"

#include <dlfcn.h>

#include <cstring>
#include <stdexcept>

#include "QuonVersion.h"
#include "interface/LibraryBuilder.h"
#include "platform/Invariant.h"
#include "platform/LoadOrder.h"

namespace QUON_ExternLib {

namespace {
constexpr const char* kBuildConfiguration = "RELEASE";

// This framework's major.minor.patch with the given build.
zul::VersionInfo FrameworkVersion(const char* build) {
    return zul::VersionInfo(zul::build::kMajor, zul::build::kMinor, zul::build::kPatch, build);
}
}  // namespace

LibraryObject::LibraryObject() {
    // The library's version starts as the framework's own (the builder later names the library's);
    // the framework's minimum is the oldest compatible build.
    descriptor.libraryVersion = FrameworkVersion(zul::build::kBuild);
    descriptor.interfaceVersion = kInterfaceVersion;
    descriptor.pointerSize = sizeof(void*);
    descriptor.buildConfiguration = kBuildConfiguration;
    descriptor.customTypeCount = 0;
    descriptor.functionCount = 0;
    descriptor.frameworkVersion = FrameworkVersion(zul::build::kBuild);
    descriptor.frameworkMinVersion = FrameworkVersion(zul::build::kMinimumBuild);
    // The binding code reads the host's table where the host may read it: in this object.
    LibraryContext& binding = TheLibraryContext();
    binding.tableSlot = &parentContext;
    binding.typeRegistry = &typeRegistry;
    binding.libraryData = [] { return TheLibrary().Data(); };
}

LibraryObject::~LibraryObject() {
    // Code that runs after this object (a custom object's destroy at exit) still finds the table.
    theOwnTable = parentContext;
    TheLibraryContext().tableSlot = &theOwnTable;
}

void LibraryObject::Bind(ParentContext* context) {
    parentContext = context;
    TheLibraryContext().returnHostCell =
        reinterpret_cast<QuonHostReturnCellFn>(dlsym(RTLD_DEFAULT, kQuonHostReturnCellSymbol));
}

LibraryDescriptor* LibraryObject::Data() {
    if (built) return &descriptor;
    // A build that an allocation failure cut short left rows behind; a retry starts afresh.
    functionTable.clear();
    customTypeTable.clear();
    LibraryBuilder builder(*this);
    DescribeLibrary(builder);
    Publish();
    built = true;
    return &descriptor;
}

void LibraryObject::SetName(const char* name, const zul::VersionInfo& version) {
    descriptor.libraryName = name;
    descriptor.libraryVersion = version;
}

void LibraryObject::AppendFunction(const FunctionEntry& row) {
    if (row.name == nullptr || *row.name == '\0') RefuseRow("", "a row has no name");
    if (row.adapter == nullptr) RefuseRow(row.name, "no adapter");
    if (row.typeString == nullptr) RefuseRow(row.name, "no type string");
    // A text naming Undefined stands for a type that could not be resolved; no host can call it.
    if (std::strstr(row.typeString, "Undefined") != nullptr)
        RefuseRow(row.name, std::string("its type string names Undefined: ") + row.typeString);
    // Every row is compared with every earlier one at each load: the first bytes are compared
    // inline, and only names that agree there go to strcmp.
    for (const FunctionEntry& earlier : functionTable)
        if (earlier.name[0] == row.name[0] && std::strcmp(earlier.name, row.name) == 0)
            RefuseRow(row.name, "the name is added twice");
    functionTable.push_back(row);
}

void LibraryObject::RefuseRow(const char* name, const std::string& why) const {
    const std::string library = descriptor.libraryName != nullptr ? descriptor.libraryName : "the library";
    throw std::logic_error(library + ": row '" + name + "': " + why);
}

void LibraryObject::Publish() {
    if (descriptor.libraryName == nullptr || *descriptor.libraryName == '\0')
        throw std::logic_error("the library has no name: call library.Name(...) in DescribeLibrary");
    // Appending may move the rows, so the pointers are published only after the last append.
    descriptor.functionCount = functionTable.size();
    descriptor.functions = functionTable.data();
    descriptor.customTypeCount = customTypeTable.size();
    descriptor.customTypes = customTypeTable.data();
}

void LibraryObject::RegisterCustomType(std::type_index nativeType, const CustomTypeEntry& row) {
    QUON_INVARIANT(row.typeName != nullptr && *row.typeName != '\0',
                   "a custom type row without a type name");
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
