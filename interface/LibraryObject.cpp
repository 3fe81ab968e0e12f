#include "interface/LibraryObject.h"

#include <dlfcn.h>

#include <cstring>
#include <stdexcept>

#include "QuonVersion.h"
#include "datatypes/ExternalTypeRegistry.h"
#include "interface/LibraryBuilder.h"
#include "interface/TypeTextCheck.h"
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
    typeRegistry.clear();
    ownedTexts.clear();
    checkedRecordLiterals.clear();
    // The custom type names are known to this module's parser only while the build checks
    // literal texts, so that no pooled string of this module outlives the build.
    auto& registry = QUON_DataTypes::ExternalTypeRegistry::Instance();
    struct Forget {
        QUON_DataTypes::ExternalTypeRegistry& registry;
        std::size_t count;
        ~Forget() { registry.Truncate(count); }
    } forget{registry, registry.Count()};
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

std::size_t LibraryObject::AppendFunction(const FunctionEntry& given) {
    if (given.name == nullptr || *given.name == '\0') RefuseRow("", "a row has no name");
    if (!IsFunctionName(given.name))
        RefuseRow(given.name, "the name is not a function name: a letter or '_', then letters, digits and '_'");
    if (given.adapter == nullptr) RefuseRow(given.name, "no adapter");
    if (given.typeString == nullptr) RefuseRow(given.name, "no type string");
    // A text naming Undefined stands for a type that could not be resolved; no host can call it.
    if (std::strstr(given.typeString, "Undefined") != nullptr)
        RefuseRow(given.name, std::string("its type string names Undefined: ") + given.typeString);
    // Every row is compared with every earlier one at each load: the first bytes are compared
    // inline, and only names that agree there go to strcmp.
    for (const FunctionEntry& earlier : functionTable)
        if (earlier.name[0] == given.name[0] && std::strcmp(earlier.name, given.name) == 0)
            RefuseRow(given.name, "the name is added twice");
    // The deque keeps each copy where it is while more are added.
    FunctionEntry row = given;
    row.name = ownedTexts.emplace_back(given.name).c_str();
    row.description = ownedTexts.emplace_back(given.description != nullptr ? given.description : "").c_str();
    functionTable.push_back(row);
    return functionTable.size() - 1;
}

void LibraryObject::CheckLiteralType(const char* name, const char* literal, const char* derived) const {
    const std::string problem = LiteralTypeProblem(literal, derived, "its signature");
    if (!problem.empty()) RefuseRow(name, problem);
}

void LibraryObject::CheckRecordLiteral(const char* name, const std::string& structName, const char* literal,
                                       const std::string& assembled) {
    if (checkedRecordLiterals.count(literal) != 0) return;
    const std::string problem = LiteralTypeProblem(literal, assembled.c_str(), "its fields");
    if (!problem.empty()) RefuseRow(name, "the RecordBinding of '" + structName + "': " + problem);
    checkedRecordLiterals.insert(literal);
}

void LibraryObject::RefuseRow(const char* name, const std::string& why) const {
    Refuse("row '" + std::string(name != nullptr ? name : "") + "': " + why);
}

void LibraryObject::Refuse(const std::string& what) const {
    const std::string library = descriptor.libraryName != nullptr ? descriptor.libraryName : "the library";
    throw std::logic_error(library + ": " + what);
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

void LibraryObject::RegisterCustomType(std::type_index nativeType, const std::string& className,
                                       const CustomTypeEntry& row) {
    const std::string who = "the custom type of the class '" + className + "'";
    const std::string problem = CustomTypeNameProblem(row.typeName != nullptr ? row.typeName : "");
    if (!problem.empty()) Refuse(who + ": " + problem);
    for (const CustomTypeEntry& earlier : customTypeTable)
        if (std::strcmp(earlier.typeName, row.typeName) == 0)
            Refuse(who + ": the name '" + row.typeName + "' is registered already");
    if (typeRegistry.count(nativeType) != 0)
        Refuse(who + ": the class is registered already");
    if (row.destroy == nullptr) Refuse(who + ": no destroy function");
    if (row.toText == nullptr) Refuse(who + ": no toText function");
    customTypeTable.push_back(row);
    typeRegistry.insert_or_assign(nativeType, row);
    // Literal type texts that name the type are checked with this module's parser (until the
    // build ends).
    QUON_DataTypes::ExternalTypeRegistry::Instance().Register(row.typeName);
}

namespace {
__attribute__((init_priority(QUON_LOAD_ORDER_LIBRARY_OBJECT))) LibraryObject theLibrary;
}

LibraryObject& TheLibrary() {
    return theLibrary;
}

}  // namespace QUON_ExternLib
