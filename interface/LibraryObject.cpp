#include "interface/LibraryObject.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "QuonVersion.h"
#include "datatypes/ExternalTypeRegistry.h"
#include "interface/LibraryBuilder.h"
#include "interface/TypeTextCheck.h"
#include "platform/Invariant.h"
#include "platform/LoadOrder.h"
#include "platform/Platform.h"

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
    textBlocks.clear();
    textRoom = 0;
    textNext = nullptr;
    checkedRecordLiterals.clear();
    parameterTexts.clear();
    // The custom type names are known to this module's parser only while the build checks
    // literal texts, so that no pooled string of this module outlives the build.
    struct Forget {
        LibraryObject& library;
        ~Forget() { library.ForgetTypeNames(); }
    } forget{*this};
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
        RefuseRow(given.name,
                  "the name is not a function name: a letter or '_', then letters, digits and '_'");
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
    FunctionEntry row = given;
    row.name = KeepText(given.name);
    row.description = KeepText(given.description != nullptr ? given.description : "");
    functionTable.push_back(row);
    parameterTexts.push_back(nullptr);
    return functionTable.size() - 1;
}

std::uint64_t LibraryObject::AddGenerated(FunctionEntry row,
                                          const char* (*derive)(LibraryObject&, const char*)) {
    const char* derived = derive(*this, row.name);
    if (row.typeString == nullptr) {
        row.typeString = derived;
    } else {
        const std::string problem = LiteralProblem(row.typeString, derived, "its signature");
        if (!problem.empty()) RefuseRow(row.name, problem);
    }
    return std::min<std::uint64_t>(AppendFunction(row), 0xFFFF);
}

bool LibraryObject::RecordLiteralChecked(const char* literal) const {
    for (const char* checked : checkedRecordLiterals)
        if (checked == literal) return true;
    return false;
}

void LibraryObject::CheckRecordLiteral(const char* name, const std::type_info& structure,
                                       const char* literal, const char* assembled) {
    const std::string problem = LiteralProblem(literal, assembled, "its fields");
    if (!problem.empty())
        RefuseRow(name, "the RecordBinding of '" + zul::platform::DemangledName(structure.name()) +
                            "': " + problem);
    checkedRecordLiterals.push_back(literal);
}

// The first and the last byte of this module's image, as the linker names them.
extern "C" const char __ehdr_start[];
extern "C" const char _end[];

const char* LibraryObject::KeepText(const char* text) {
    // A text in this module's own image (a string literal, a static array) lives as long as the
    // library; any other is copied, into blocks of 4 KiB (or one text's size) that never move.
    const auto at = reinterpret_cast<std::uintptr_t>(text);
    if (at >= reinterpret_cast<std::uintptr_t>(__ehdr_start) && at < reinterpret_cast<std::uintptr_t>(_end))
        return text;
    const std::size_t size = std::strlen(text) + 1;
    if (size > textRoom) {
        textRoom = std::max<std::size_t>(4096, size);
        textNext = textBlocks.emplace_back(textRoom).data();
    }
    char* copy = std::exchange(textNext, textNext + size);
    std::memcpy(copy, text, size);
    textRoom -= size;
    return copy;
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
    beside = {kBesideMagic, functionTable.size(), parameterTexts.data()};
}

void LibraryObject::SetParameterNames(std::size_t index, std::initializer_list<const char*> names,
                                      std::size_t parameters) {
    const char* row = functionTable[index].name;
    if (names.size() != parameters)
        RefuseRow(row, std::to_string(names.size()) + " parameter names for " + std::to_string(parameters) +
                           " parameter" + (parameters == 1 ? "" : "s"));
    std::string text;
    for (const char* name : names) {
        if (name == nullptr || !IsFunctionName(name))
            RefuseRow(row, "the parameter name '" + std::string(name != nullptr ? name : "") +
                               "' is not a name: a letter or '_', then letters, digits and '_'");
        text += (text.empty() ? "" : ", ") + std::string(name);
    }
    parameterTexts[index] = parameters == 0 ? nullptr : KeepText(text.c_str());
}

void LibraryObject::RegisterCustomType(std::type_index nativeType, const CustomTypeEntry& row) {
    const auto who = [&] {
        return "the custom type of the class '" + zul::platform::DemangledName(nativeType.name()) + "'";
    };
    const std::string problem = CustomTypeNameProblem(row.typeName != nullptr ? row.typeName : "");
    if (!problem.empty()) Refuse(who() + ": " + problem);
    for (const CustomTypeEntry& earlier : customTypeTable)
        if (std::strcmp(earlier.typeName, row.typeName) == 0)
            Refuse(who() + ": the name '" + row.typeName + "' is registered already");
    if (typeRegistry.count(nativeType) != 0) Refuse(who() + ": the class is registered already");
    if (row.destroy == nullptr) Refuse(who() + ": no destroy function");
    if (row.toText == nullptr) Refuse(who() + ": no toText function");
    customTypeTable.push_back(row);
    typeRegistry.insert_or_assign(nativeType, row);
}

std::string LibraryObject::LiteralProblem(const char* literal, const char* derived,
                                          const char* derivedFrom) {
    // Most literals are spelled like the derived text: the type model, and the pooled strings
    // it needs, stay out of the load then.
    if (SpelledAlike(literal, derived)) return "";
    // The custom type names are registered for the first text that is parsed, and forgotten
    // when the build ends.
    if (typeNamesBefore == kNoTypeNames) {
        auto& registry = QUON_DataTypes::ExternalTypeRegistry::Instance();
        typeNamesBefore = registry.Count();
        for (const CustomTypeEntry& row : customTypeTable) registry.Register(row.typeName);
    }
    return LiteralTypeProblem(literal, derived, derivedFrom);
}

void LibraryObject::ForgetTypeNames() {
    if (typeNamesBefore == kNoTypeNames) return;
    QUON_DataTypes::ExternalTypeRegistry::Instance().Truncate(typeNamesBefore);
    typeNamesBefore = kNoTypeNames;
}

namespace {
__attribute__((init_priority(QUON_LOAD_ORDER_LIBRARY_OBJECT))) LibraryObject theLibrary;
}

LibraryObject& TheLibrary() {
    return theLibrary;
}

}  // namespace QUON_ExternLib
