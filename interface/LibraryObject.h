// The single library object of an extension library: the two tables, the registry of custom
// types by native type, and the descriptor the host reads, followed in the same block by three
// members that only the library uses. What the tables hold comes from the library's own
// DescribeLibrary (interface/LibraryBuilder.h), run on the first LibraryData.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

#include "externlib/LibraryContext.h"
#include "hostabi/LibraryDescriptor.h"
#include "hostabi/ParentContext.h"
#include "strings/tString.h"

namespace QUON_ExternLib {

class LibraryObject {
public:
    LibraryObject();
    ~LibraryObject();
    LibraryObject(const LibraryObject&) = delete;
    LibraryObject& operator=(const LibraryObject&) = delete;

    // The descriptor, built on the first call; later calls return the same one unchanged.
    LibraryDescriptor* Data();

    // Stores the host's table (where the host and the binding code read it) and finds the host's
    // optional cell return.
    void Bind(ParentContext* context);

    // Builder steps, used through LibraryBuilder while the descriptor is built.
    void SetName(const char* name, const zul::VersionInfo& version);
    // Refuses a row whose name is not a function name or is added twice, a row without an
    // adapter or type, a text naming Undefined. The name and the description (none: "") are
    // copied, so a text that ends after the call still publishes. Gives the row's index.
    std::size_t AppendFunction(const FunctionEntry& row);
    // A row with a generated adapter: `derive` gives its derived type text (refusing the row when
    // it cannot), which the row's literal text (typeString; null when none) must agree with.
    // Gives the row's index as the callbacks keep it (at most 0xFFFF).
    std::uint64_t AddGenerated(FunctionEntry row,
                               const char* (*derive)(LibraryObject& library, const char* name));
    // Refuses the row when the record binding of `structure` gives a literal type text that says
    // another type than its fields' text, `assembled`; each literal needs it once per load.
    bool RecordLiteralChecked(const char* literal) const;
    void CheckRecordLiteral(const char* name, const std::type_info& structure, const char* literal,
                            const char* assembled);
    // Publishes the names of row `index`'s parameters beside the descriptor; refuses a count
    // other than the row's `parameters` and a name that is not a name.
    void SetParameterNames(std::size_t index, std::initializer_list<const char*> names, std::size_t parameters);
    std::size_t LastRow() const { return functionTable.size() - 1; }
    [[noreturn]] void RefuseRow(const char* name, const std::string& why) const;
    [[noreturn]] void Refuse(const std::string& what) const;  // "<library>: <what>"
    // Refuses a name that is not a type name or is taken, and a class registered twice.
    void RegisterCustomType(std::type_index nativeType, const CustomTypeEntry& row);

private:
    void Publish();
    std::string LiteralProblem(const char* literal, const char* derived, const char* derivedFrom);
    void ForgetTypeNames();
    const char* KeepText(const char* text);

    std::vector<FunctionEntry> functionTable;      // rows in registration order
    std::vector<CustomTypeEntry> customTypeTable;  // rows in registration order
    CustomTypeRegistry typeRegistry;               // native type -> copy of its row
    std::vector<std::vector<char>> textBlocks;         // copies of the rows' names and descriptions
    char* textNext = nullptr;                         // where the next copy goes in the last block
    std::size_t textRoom = 0;                         // bytes left there
    std::vector<const char*> checkedRecordLiterals;   // record literals found to match their fields
    // How many names the parser's registry held before this build registered the custom type
    // names; kNoTypeNames while it has not.
    static constexpr std::size_t kNoTypeNames = SIZE_MAX;
    std::size_t typeNamesBefore = kNoTypeNames;
    LibraryDescriptor descriptor;                  // what the host reads
    ParentContext* parentContext = nullptr;        // set by BindToParentContext
    bool built = false;                            // the tables are published
    // An empty body owned by the library, made in ownedBody: no string pool is needed at load.
    zul::zulStdString::tString ownedString =
        zul::zulStdString::tString::Adopt(zul::zulStdString::tBaseString::NewInPlace(ownedBody));
    alignas(8) unsigned char ownedBody[sizeof(zul::zulStdString::tBaseString)];
    PublishedBeside beside{};                      // read by hosts, at kBesideOffset from the descriptor
    std::vector<const char*> parameterTexts;       // per row: "a, b", or null

    friend struct LibraryObjectLayout;
};

// Offsets of the library-only members, counted from the start of the descriptor.
struct LibraryObjectLayout {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
    static constexpr std::size_t kDescriptor = offsetof(LibraryObject, descriptor);
    static constexpr std::size_t kParentContext = offsetof(LibraryObject, parentContext) - kDescriptor;
    static constexpr std::size_t kBuilt = offsetof(LibraryObject, built) - kDescriptor;
    static constexpr std::size_t kOwnedString = offsetof(LibraryObject, ownedString) - kDescriptor;
    static constexpr std::size_t kBeside = offsetof(LibraryObject, beside) - kDescriptor;
#pragma GCC diagnostic pop
};

static_assert(LibraryObjectLayout::kParentContext == 0x190);
static_assert(LibraryObjectLayout::kBuilt == 0x198);
static_assert(LibraryObjectLayout::kOwnedString == 0x1A0);
static_assert(LibraryObjectLayout::kBeside == kBesideOffset);

// The one library object of this module, constructed at load before any entry point runs.
LibraryObject& TheLibrary();

}  // namespace QUON_ExternLib
